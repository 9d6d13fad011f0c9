#include "wizard/qt/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QLocale>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "app/texts/search.h"
#include "app/texts/window.h"
#include "app/texts/wizard.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/app_icon.h"

namespace salvex::gui {

namespace {

// Stands for the program's own icon where a window shows a picture.
constexpr auto kAppIcon = QStyle::SP_CustomBase;

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.25);
    label->setFont(f);
    return label;
}

QLabel* body(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A dialog laid out as: icon beside heading and text, then whatever the caller
// adds, then one button row.
struct Frame {
    std::unique_ptr<QDialog> dialog;
    QVBoxLayout* content = nullptr;
    QDialogButtonBox* buttons = nullptr;
};

Frame frame(QWidget* parent, const QString& title, QStyle::StandardPixmap icon, const QString& head, const QString& text) {
    Frame f;
    f.dialog = std::make_unique<QDialog>(parent);
    f.dialog->setWindowTitle(title);
    f.dialog->setModal(true);
    auto* outer = new QVBoxLayout(f.dialog.get());
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* row = new QHBoxLayout;
    auto* picture = new QLabel(f.dialog.get());
    const int side = f.dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    picture->setPixmap((icon == kAppIcon ? app_icon() : f.dialog->style()->standardIcon(icon)).pixmap(side, side));
    picture->setAlignment(Qt::AlignTop);
    row->addWidget(picture);
    f.content = new QVBoxLayout;
    f.content->setSpacing(10);
    f.content->addWidget(heading(head, f.dialog.get()));
    if (!text.isEmpty()) {
        QLabel* words = body(text, f.dialog.get());
        // A fixed width lets the wrapped text ask for the height it needs.
        words->setFixedWidth(480);
        words->setMinimumHeight(words->heightForWidth(480));
        f.content->addWidget(words);
    }
    row->addLayout(f.content, 1);
    row->setSpacing(16);
    outer->addLayout(row);
    outer->addSpacing(6);
    f.buttons = new QDialogButtonBox(f.dialog.get());
    outer->addWidget(f.buttons);
    return f;
}

QPushButton* closing_button(Frame& f, const QString& text) {
    QPushButton* button = f.buttons->addButton(text, QDialogButtonBox::AcceptRole);
    button->setDefault(true);
    QObject::connect(f.buttons, &QDialogButtonBox::accepted, f.dialog.get(), &QDialog::accept);
    // Escape closes it the same way: the button only says "I have read this".
    QObject::connect(f.buttons, &QDialogButtonBox::rejected, f.dialog.get(), &QDialog::accept);
    return button;
}

// The web site and the support address, each with a button that copies it.
void add_contact_links(Frame& f, MyTableController& c) {
    auto* grid = new QHBoxLayout;
    grid->setSpacing(8);
    QPushButton* site = make_link_button(qs(text::website_link_title(c.Website_1)), f.dialog.get());
    site->setObjectName("website_1");
    site->setToolTip(qs(c.Website_1));
    QObject::connect(site, &QPushButton::clicked, f.dialog.get(), [&c] { c.Open_Website_1(); });
    QPushButton* mail = make_link_button(qs(c.support_id), f.dialog.get());
    mail->setObjectName("support_id");
    mail->setToolTip(qs(text::kWriteUs));
    QObject::connect(mail, &QPushButton::clicked, f.dialog.get(), [&c] { c.Open_Support_Mail(); });
    grid->addWidget(site);
    grid->addWidget(mail);
    grid->addStretch(1);
    f.content->addLayout(grid);
}

}  // namespace

std::unique_ptr<QMessageBox> make_alert_box(const AlertRequest& request, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(APP_LONG_NAME.empty() ? QApplication::applicationDisplayName() : qs(APP_LONG_NAME));
    box->setTextFormat(Qt::PlainText);
    // Paths and addresses in a message can be selected and copied.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setText(qs(request.message));
    if (!request.informative.empty()) box->setInformativeText(qs(request.informative));
    box->setIcon(request.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Information);
    const std::vector<std::string> buttons = request.buttons.empty() ? std::vector<std::string>{std::string(text::kOk)} : request.buttons;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        // Roles keep the buttons in the order given: the platform would sort Yes and No otherwise.
        QPushButton* button = box->addButton(qs(buttons[i]), QMessageBox::ActionRole);
        button->setProperty(kButtonIndexProperty, static_cast<int>(i));
        if (i == 0) box->setDefaultButton(button);
        // The last button is the cautious one ("No"): Escape means it.
        if (i + 1 == buttons.size()) box->setEscapeButton(button);
    }
    return box;
}

int alert_answer(const QMessageBox& box) {
    const QAbstractButton* pressed = box.clickedButton();
    if (pressed == nullptr) pressed = box.escapeButton();
    return pressed == nullptr ? 0 : pressed->property(kButtonIndexProperty).toInt();
}

QPushButton* make_link_button(const QString& title, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    button->setFlat(true);
    button->setCursor(Qt::OpenHandCursor);
    button->setAutoDefault(false);
    // The link look is fixed whatever the desktop's palette: blue, bold, underlined on light grey.
    button->setStyleSheet(QStringLiteral("QPushButton { color: rgb(0, 0, 255); background-color: rgb(236, 236, 236);"
                                         " font-weight: bold; font-size: %1pt; text-decoration: underline;"
                                         " border: none; border-radius: 3px; padding: 3px 8px; }")
                              .arg(text::kLinkFontSize));
    return button;
}

std::unique_ptr<QDialog> make_browse_info_dialog(QWidget* parent) {
    Frame f = frame(parent, qs(text::kWhereToSave), QStyle::SP_DirIcon, qs(text::kChooseResultFolder),
                    qs(text::kBrowseInfo));
    f.dialog->setObjectName("BrowseInfo_Window");
    closing_button(f, qs(text::kContinue))->setObjectName("Continue_Btn");
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_about_dialog(const MyTableController& c, QWidget* parent) {
    const QString name = qs(APP_LONG_NAME.empty() ? c.App_Name : APP_LONG_NAME);
    Frame f = frame(parent, qs(text::kAboutTitle).arg(name), kAppIcon, name,
                    qs(text::kAbout).arg(QStringLiteral(SALVEX_VERSION)));
    f.dialog->setObjectName("About_Window");
    closing_button(f, qs(text::kOk));
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_support_dialog(MyTableController& c, QWidget* parent) {
    Frame f = frame(parent, qs(text::kContactUs), QStyle::SP_MessageBoxInformation, qs(text::kContactHeading),
                    qs(text::kContact));
    f.dialog->setObjectName("HelpWindow");
    add_contact_links(f, c);
    auto* extras = new QHBoxLayout;
    auto* copy_mail = new QPushButton(qs(text::kCopyEmail), f.dialog.get());
    copy_mail->setObjectName("Copy_Email");
    QObject::connect(copy_mail, &QPushButton::clicked, f.dialog.get(), [&c] { c.Copy_Email(); });
    auto* copy_site = new QPushButton(qs(text::kCopyWebAddress), f.dialog.get());
    copy_site->setObjectName("Copy_URL");
    QObject::connect(copy_site, &QPushButton::clicked, f.dialog.get(), [&c] { c.Copy_URL(); });
    auto* guide = new QPushButton(qs(text::kOpenUserGuide), f.dialog.get());
    guide->setObjectName("HelpFilePressed");
    QObject::connect(guide, &QPushButton::clicked, f.dialog.get(), [&c] { c.HelpFilePressed(); });
    for (QPushButton* b : {copy_mail, copy_site, guide}) {
        b->setAutoDefault(false);
        extras->addWidget(b);
    }
    extras->addStretch(1);
    f.content->addLayout(extras);
    closing_button(f, qs(text::kContinue));
    return std::move(f.dialog);
}

namespace {

QString files_saved(std::uint64_t n, bool more) {
    if (n == 0) return qs(more ? text::kNothingMore : text::kNoFiles);
    const QString count = QLocale().toString(static_cast<qulonglong>(n));
    if (more) return n == 1 ? qs(text::kOneMoreFile) : qs(text::kMoreFiles).arg(count);
    return n == 1 ? qs(text::kOneFile) : qs(text::kFiles).arg(count);
}

}  // namespace

EndNotice end_notice(ScanOutcome outcome, const ScanTally& tally, bool thorough_ran) {
    EndNotice n;
    const bool write_failure = outcome == ScanOutcome::Failed && !tally.failure.empty();
    if (write_failure) {
        n.heading = qs(text::kNotAllSaved);
        n.text = qs(text::kSavingStopped)
                     .arg(tally.failed_path.empty() ? qs(tally.failure)
                                                    : qs(tally.failed_path) + QStringLiteral(": ") + qs(tally.failure));
        if (tally.cut_short) n.text += qs(text::kLastFileCutShort);
    } else if (outcome == ScanOutcome::Failed) {
        n.heading = qs(text::kCardNotReadToEnd);
        n.text = qs(text::kReadingEnded);
    } else if (outcome == ScanOutcome::Stopped) {
        n.heading = qs(text::kSearchStopped);
        n.text = qs(text::kYouStopped);
    } else {
        n.heading = qs(text::kSearchFinished);
        n.text = qs(text::kAllSaved);
    }
    if (tally.unreadable_sectors > 0) {
        const QString sectors = QLocale().toString(static_cast<qulonglong>(tally.unreadable_sectors));
        n.text += QStringLiteral(" ") +
                  (tally.unreadable_sectors == 1
                       ? qs(text::kOneSectorUnread).arg(static_cast<qulonglong>(tally.first_unreadable))
                       : qs(text::kSectorsUnread)
                             .arg(sectors)
                             .arg(static_cast<qulonglong>(tally.first_unreadable)));
        const std::size_t zeroed = tally.files_with_zeros.size();
        if (zeroed > 0)
            n.text += QStringLiteral(" ") + (zeroed == 1 ? qs(text::kOneFileWithZeros)
                                                         : qs(text::kFilesWithZeros).arg(static_cast<qulonglong>(zeroed)));
    }
    n.general = files_saved(tally.general_files, false);
    n.thorough = thorough_ran ? files_saved(tally.thorough_files, true) : qs(text::kNotRun);
    n.folder = qs(tally.result_folder);
    return n;
}

std::unique_ptr<QDialog> make_end_of_search_dialog(MyTableController& c, QWidget* parent) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // The label of the pass that ran last: the thorough one's once it has started.
    const bool thorough_ran = c.scan_tally.thorough_files > 0 || Curr_Running_Mode_Info == text::kThoroughModeLabel;
    EndNotice n = end_notice(c.scan_outcome, c.scan_tally, thorough_ran);
    // A folder that could not be made is no place to look.
    if (!fs::is_directory(fs::path(c.scan_tally.result_folder), ec)) n.folder.clear();
    const auto icon = c.scan_outcome == ScanOutcome::Failed ? QStyle::SP_MessageBoxWarning
                      : c.scan_outcome == ScanOutcome::Stopped ? QStyle::SP_MessageBoxInformation
                                                                : QStyle::SP_DialogApplyButton;
    Frame f = frame(parent, qs(APP_LONG_NAME), icon, n.heading, n.text);
    f.dialog->setObjectName("SaveFile_Info_Window");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    const auto row = [&](int r, const QString& caption, QWidget* value, const char* name) {
        auto* label = new QLabel(caption, f.dialog.get());
        label->setForegroundRole(QPalette::PlaceholderText);
        value->setObjectName(QLatin1String(name));
        grid->addWidget(label, r, 0);
        grid->addWidget(value, r, 1);
    };
    row(0, qs(text::kGeneralSearch), new QLabel(n.general, f.dialog.get()), "general_files");
    row(1, qs(text::kThoroughSearch), new QLabel(n.thorough, f.dialog.get()), "thorough_files");
    if (!n.folder.isEmpty()) {
        auto* place = new QWidget(f.dialog.get());
        auto* pl = new QHBoxLayout(place);
        pl->setContentsMargins(0, 0, 0, 0);
        // A line, not a label: a long path scrolls and can be copied whole.
        auto* path = new QLineEdit(n.folder, place);
        path->setObjectName(QStringLiteral("result_folder"));
        path->setReadOnly(true);
        path->setCursorPosition(0);
        path->setToolTip(n.folder);
        path->setMinimumWidth(std::min(path->fontMetrics().horizontalAdvance(n.folder) + 16, 560));
        auto* open = new QPushButton(qs(text::kOpenFolder), place);
        open->setObjectName(QStringLiteral("open_result_folder"));
        open->setIcon(f.dialog->style()->standardIcon(QStyle::SP_DirOpenIcon));
        open->setAutoDefault(false);
        QObject::connect(open, &QPushButton::clicked, f.dialog.get(), [&c] { c.Open_Folder_btn(); });
        pl->addWidget(path, 1);
        pl->addWidget(open);
        row(2, qs(text::kSavedIn), place, "result_place");
    }
    grid->setColumnStretch(1, 1);
    f.content->addLayout(grid);
    QLabel* help = body(qs(text::kEndHelp), f.dialog.get());
    help->setFixedWidth(480);
    help->setMinimumHeight(help->heightForWidth(480));
    f.content->addWidget(help);
    add_contact_links(f, c);
    closing_button(f, qs(text::kOk))->setObjectName("OK_Btn");
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_drive_loading_notice(QWidget* parent) {
    auto notice = std::make_unique<QDialog>(parent, Qt::Dialog | Qt::FramelessWindowHint);
    notice->setObjectName("LoadDisk_Window");
    auto* layout = new QVBoxLayout(notice.get());
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(new QLabel(qs(text::kLookingForDrives), notice.get()));
    auto* busy = new QProgressBar(notice.get());
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    layout->addWidget(busy);
    return notice;
}

}  // namespace salvex::gui
