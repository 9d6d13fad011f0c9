// The search options: how much of the drive to search, where to save, and (photo
// mode) whether to run the thorough search too. Photo mode and the other modes
// each have a set of these controls.
#include "wizard/qt/main_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStyle>
#include <vector>

#include "app/texts/window.h"
#include "results/qt/qt_text.h"
#include "wizard/qt/screen_layout.h"

namespace salvex::gui {

QWidget* MainWindow::build_sector_box(bool sig, bool end) {
    const auto o = [sig](Outlet photo) { return in_set(photo, sig); };
    const Outlet box_o = o(end ? Outlet::End_Sec_Box : Outlet::Start_Sec_Box);
    auto* box = make<QGroupBox>(box_o, end ? tr("Last sector") : tr("First sector"), this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(6);
    auto* current = make<QLabel>(o(end ? Outlet::End_Sec_curr : Outlet::Start_Sec_curr),
                                 end ? tr("&End sector:") : tr("&Start sector:"), box);
    auto* field = make<QLineEdit>(o(end ? Outlet::End_slider_val : Outlet::Start_slider_val), box);
    field->setMaxLength(24);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 22);
    field->setAlignment(Qt::AlignRight);
    // Sector numbers are whole numbers: anything else is not taken at all.
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    current->setBuddy(field);
    auto* allowed = new QLabel(box);
    allowed->setObjectName(field->objectName() + QStringLiteral("_allowed"));
    allowed->setForegroundRole(QPalette::PlaceholderText);
    auto* slider = make<QSlider>(o(end ? Outlet::End_Slider : Outlet::Start_Slider), Qt::Horizontal, box);
    slider->setAccessibleName(end ? tr("End sector") : tr("Start sector"));
    g->addWidget(current, 0, 0);
    g->addWidget(field, 0, 1, 1, 1, Qt::AlignLeft);
    g->addWidget(allowed, 0, 2, 1, 2);
    g->addWidget(slider, 1, 0, 1, 4);
    auto* min = make<QLabel>(o(end ? Outlet::End_Sec_Min : Outlet::Start_Sec_Min), tr("From"), box);
    auto* min_val = make<QLabel>(o(end ? Outlet::End_Sec_Min_val : Outlet::Start_Sec_Min_val), box);
    auto* max = make<QLabel>(o(end ? Outlet::End_Sec_Max : Outlet::Start_Sec_Max), tr("to"), box);
    auto* max_val = make<QLabel>(o(end ? Outlet::End_Sec_Max_val : Outlet::Start_Sec_Max_val), box);
    for (QLabel* label : {min, min_val, max, max_val}) label->setForegroundRole(QPalette::PlaceholderText);
    auto* ends = new QHBoxLayout;
    ends->addWidget(min);
    ends->addWidget(min_val);
    ends->addStretch(1);
    ends->addWidget(max);
    ends->addWidget(max_val);
    g->addLayout(ends, 2, 0, 1, 4);
    g->setColumnStretch(3, 1);
    return box;
}

QWidget* MainWindow::build_range_page(bool sig) {
    const auto o = [sig](Outlet photo) { return in_set(photo, sig); };
    auto* page = new QWidget(this);
    auto* l = column(page);
    l->setSpacing(12);

    auto* criteria = make<QGroupBox>(o(Outlet::searching_criteria_Box), tr("How much of the drive to search"), page);
    auto* cl = new QHBoxLayout(criteria);
    cl->setSpacing(24);
    cl->addWidget(make<QRadioButton>(o(Outlet::entire_disk_rd), tr("E&ntire disk (recommended)"), criteria));
    cl->addWidget(make<QRadioButton>(o(Outlet::sector_range_rd), tr("Sector &range"), criteria));
    cl->addStretch(1);
    l->addWidget(criteria);

    auto* info = make<QGroupBox>(o(Outlet::disk_sector_info_Box), qs(text::kSelectedDrive), page);
    info_boxes_.at(sig ? 1 : 0) = info;
    auto* il = column(info, 0);
    il->setContentsMargins(12, 10, 12, 12);
    auto* details = new QWidget(info);
    auto* grid = new QGridLayout(details);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    std::vector<Outlet> detail_controls;
    for (std::size_t i = 0; i < kDiskCaptions.size(); ++i) {
        auto* caption = make<QLabel>(o(kDiskCaptions[i]), details);
        caption->setForegroundRole(QPalette::PlaceholderText);
        auto* value = make<QLabel>(o(kDiskValues[i]), details);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int r = static_cast<int>(i / 2), c = static_cast<int>(i % 2) * 2;
        grid->addWidget(caption, r, c);
        grid->addWidget(value, r, c + 1);
        detail_controls.push_back(o(kDiskValues[i]));
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    il->addWidget(details);
    follow(details, detail_controls);

    auto* range = new QWidget(info);
    auto* rl = column(range);
    rl->setSpacing(10);
    rl->addWidget(make<QLabel>(o(Outlet::Sector_Range_Info),
                               qs(text::kRangeInfo),
                               range));
    as<QLabel>(o(Outlet::Sector_Range_Info))->setWordWrap(true);
    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(12);
    boxes->addWidget(build_sector_box(sig, false), 1);
    boxes->addWidget(build_sector_box(sig, true), 1);
    rl->addLayout(boxes);
    il->addWidget(range);
    follow(range, {o(Outlet::Start_Sec_Box), o(Outlet::End_Sec_Box), o(Outlet::Sector_Range_Info)});
    l->addWidget(info);

    auto* browse = make<QGroupBox>(o(Outlet::browse_Box), qs(text::kWhereToSave), page);
    auto* browse_column = new QVBoxLayout(browse);
    auto* bl = new QHBoxLayout;
    browse_column->addLayout(bl);
    auto* path_label = make<QLabel>(o(Outlet::path_label), tr("Folder:"), browse);
    auto* path = make<QLineEdit>(o(Outlet::path), browse);
    path->setReadOnly(true);
    path->setPlaceholderText(qs(text::kNoFolderYet));
    path->setFocusPolicy(Qt::ClickFocus);
    auto* browse_btn = make<QPushButton>(o(Outlet::browse_path), tr("Br&owse\u2026"), browse);
    browse_btn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    path_label->setBuddy(browse_btn);
    bl->addWidget(path_label);
    bl->addWidget(path, 1);
    bl->addWidget(browse_btn);
    auto* exact = make<QCheckBox>(o(Outlet::exact_files_chk), tr("&Cut each file at its own end"), browse);
    exact->setChecked(true);
    exact->setToolTip(qs(text::kExactFilesTip));
    browse_column->addWidget(exact);
    l->addWidget(browse);

    // Open Folder belongs to the set but shows on the results screen, under the results.
    make<QPushButton>(o(Outlet::open_folder), qs(text::kOpenFolder), this)
        ->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    if (!sig) {
        auto* thorough = new QWidget(page);
        auto* tl = new QGridLayout(thorough);
        tl->setContentsMargins(2, 0, 0, 0);
        tl->setHorizontalSpacing(6);
        auto* check = make<QCheckBox>(Outlet::Thro_Mode_Chk, thorough);
        auto* label = make<QLabel>(Outlet::Thro_Mode_Chk_Label, tr("Also run a &thorough search"), thorough);
        label->setBuddy(check);
        check->setAccessibleName(tr("Also run a thorough search"));
        auto* more = make<QLabel>(Outlet::Thro_Mode_Info,
                                  qs(text::kThoroughInfo),
                                  thorough);
        more->setWordWrap(true);
        more->setForegroundRole(QPalette::PlaceholderText);
        tl->addWidget(check, 0, 0);
        tl->addWidget(label, 0, 1);
        tl->addWidget(more, 1, 1);
        tl->setColumnStretch(1, 1);
        l->addWidget(thorough);
        follow(thorough, {Outlet::Thro_Mode_Chk, Outlet::Thro_Mode_Chk_Label, Outlet::Thro_Mode_Info});
    }
    l->addStretch(1);
    pages_.push_back({page, kOptionsStep});
    follow(page, {o(Outlet::searching_criteria_Box)});
    return page;
}

}  // namespace salvex::gui
