#include "wizard/qt/dialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "wizard/qt/app_icon.h"
#include "wizard/wizard_texts.h"

namespace salvex::gui {

namespace {

// Stands for the program's own icon where a window shows a picture.
constexpr auto kAppIcon = QStyle::SP_CustomBase;

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

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
    mail->setToolTip(QObject::tr("Write us an e-mail"));
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
    box->setText(qs(request.message));
    if (!request.informative.empty()) box->setInformativeText(qs(request.informative));
    box->setIcon(request.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Information);
    const std::vector<std::string> buttons = request.buttons.empty() ? std::vector<std::string>{"OK"} : request.buttons;
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
    Frame f = frame(parent, QObject::tr("Where to save the recovered files"), QStyle::SP_DirIcon,
                    QObject::tr("Choose a folder for the recovered files"),
                    QObject::tr("Please pick a folder on a different drive from the card you are recovering, for "
                                "example a folder on your computer. Saving onto the same card could overwrite the "
                                "very files you want back.\n\nA folder named after this program is made inside the "
                                "folder you choose, and everything that is found is saved there."));
    f.dialog->setObjectName("BrowseInfo_Window");
    closing_button(f, QObject::tr("Continue"))->setObjectName("Continue_Btn");
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_about_dialog(const MyTableController& c, QWidget* parent) {
    const QString name = qs(APP_LONG_NAME.empty() ? c.App_Name : APP_LONG_NAME);
    Frame f = frame(parent, QObject::tr("About %1").arg(name), kAppIcon, name,
                    QObject::tr("Version %1\n\nBrings back deleted photos, videos, documents and audio from memory "
                                "cards and USB drives. It only reads the card and never writes to it, so trying "
                                "it cannot make things worse.\n\nCopyright \u00A9 2024 Salvex Recovery.")
                        .arg(QStringLiteral(SALVEX_VERSION)));
    f.dialog->setObjectName("About_Window");
    closing_button(f, QObject::tr("OK"));
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_support_dialog(MyTableController& c, QWidget* parent) {
    Frame f = frame(parent, QObject::tr("Contact Us"), QStyle::SP_MessageBoxInformation,
                    QObject::tr("We are here to help"),
                    QObject::tr("If something is unclear, or your files did not come back, please write to us. "
                                "Tell us what kind of card or drive you used and what happened to the files; "
                                "we answer every message."));
    f.dialog->setObjectName("HelpWindow");
    add_contact_links(f, c);
    auto* extras = new QHBoxLayout;
    auto* copy_mail = new QPushButton(QObject::tr("Copy E-mail Address"), f.dialog.get());
    copy_mail->setObjectName("Copy_Email");
    QObject::connect(copy_mail, &QPushButton::clicked, f.dialog.get(), [&c] { c.Copy_Email(); });
    auto* copy_site = new QPushButton(QObject::tr("Copy Web Address"), f.dialog.get());
    copy_site->setObjectName("Copy_URL");
    QObject::connect(copy_site, &QPushButton::clicked, f.dialog.get(), [&c] { c.Copy_URL(); });
    auto* guide = new QPushButton(QObject::tr("Open the &User Guide"), f.dialog.get());
    guide->setObjectName("HelpFilePressed");
    QObject::connect(guide, &QPushButton::clicked, f.dialog.get(), [&c] { c.HelpFilePressed(); });
    for (QPushButton* b : {copy_mail, copy_site, guide}) {
        b->setAutoDefault(false);
        extras->addWidget(b);
    }
    extras->addStretch(1);
    f.content->addLayout(extras);
    closing_button(f, QObject::tr("Continue"));
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_end_of_search_dialog(MyTableController& c, QWidget* parent) {
    Frame f = frame(parent, qs(APP_LONG_NAME), QStyle::SP_DialogApplyButton, QObject::tr("The search is finished"),
                    QObject::tr("Everything that was found is saved in the folder you chose. Click \u2018Open "
                                "Folder\u2019 to look at your files.\n\nA file whose parts were overwritten on the "
                                "card may open only partly. Questions? We are glad to help:"));
    f.dialog->setObjectName("SaveFile_Info_Window");
    add_contact_links(f, c);
    closing_button(f, QObject::tr("OK"))->setObjectName("OK_Btn");
    return std::move(f.dialog);
}

std::unique_ptr<QDialog> make_drive_loading_notice(QWidget* parent) {
    auto notice = std::make_unique<QDialog>(parent, Qt::Dialog | Qt::FramelessWindowHint);
    notice->setObjectName("LoadDisk_Window");
    auto* layout = new QVBoxLayout(notice.get());
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(new QLabel(QObject::tr("Looking for drives and memory cards\u2026"), notice.get()));
    auto* busy = new QProgressBar(notice.get());
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    layout->addWidget(busy);
    return notice;
}

}  // namespace salvex::gui
