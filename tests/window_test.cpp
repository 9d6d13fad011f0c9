// The real window, offscreen, driven through its widgets: what each edition
// shows at start-up, the device and range screens with their checks, the 64-bit
// sliders, exit, help and support, the thumbnail browser and the hand-over
// from other threads, the file list with its summary and the preview of carved
// files, whole, cut short or gone. Run one group by naming it: window_tests Sliders.
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMediaPlayer>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QThread>
#include <deque>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <thread>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "results/qt/image_browser_model.h"
#include "results/qt/no_preview_picture.h"
#include "support/bundle_maker.h"
#include "support/faulty_source.h"
#include "support/listed_volumes.h"
#include "support/shell.h"
#include "support/temp_folder.h"
#include "support/test_groups.h"
#include "wizard/qt/dialogs.h"
#include "results/qt/browser_view.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/outlet_table_model.h"
#include "wizard/qt/preview_pane.h"
#include "wizard/qt/qt_view.h"
#include "wizard/qt/sector_scale.h"
#include "app/texts/wizard.h"

using salvex::Outlet;
using salvex::kAudioMode;
using salvex::kPhotoMode;
using salvex::kRawFileMode;
using salvex::kVideoMode;
using salvex::ScanOutcome;
using salvex::ScanTally;
using salvex::gui::MainWindow;
using salvex::gui::QtView;

namespace {

std::string edition_name(const QString& key) { return "Salvex " + key.toStdString() + " Recovery"; }

// One window of one edition over a recorded device list. Alerts, modal windows,
// the folder chooser, opening and quitting are answered here, never shown.
struct Window {
    explicit Window(const std::string& edition = "Salvex Birch Recovery", std::uint64_t sectors = 1000,
                    const std::map<std::string, std::string>& resources = {}) {
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        c = std::make_unique<MyTableController>(view, salvex::bundle_at(salvex::test::make_bundle(home, edition, resources)));
        c->volume_source = std::make_unique<salvex::test::ListedVolumes>(
            std::vector{salvex::test::volume("sdz1", sectors * 512, "HOLIDAY")});
        view.attach(*c);
        view.alert_answerer = [this](const salvex::AlertRequest& request) {
            alerts.push_back(request);
            if (answers.empty()) return 0;
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        };
        view.modal_runner = [this](QDialog& dialog) {
            windows.push_back(dialog.objectName());
            if (dialog.objectName() == QLatin1String("SaveFile_Info_Window")) {
                QStringList words;
                for (const QLabel* label : dialog.findChildren<QLabel*>()) words << label->text();
                for (const QLineEdit* line : dialog.findChildren<QLineEdit*>()) words << line->text();
                notices << words.join(QLatin1Char('\n'));
            }
            if (inside_modal) inside_modal(dialog);
        };
        view.folder_chooser = [this](const std::string&) {
            windows.push_back("folder chooser");
            return chosen_folder;
        };
        view.url_opener = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        view.quitter = [this] { quit = true; };
        c->awakeFromNib();
        // These bundles hold only the signature files a test gives them: the
        // start-up message naming the others is the wizard tests' to check.
        std::erase_if(alerts, [](const salvex::AlertRequest& a) { return a.message.starts_with("\nSome signature files"); });
        w().resize(1200, 760);
        w().show();
    }
    ~Window() {
        c.reset();
        Recovery_MODE = kPhotoMode;
        ::unsetenv("XDG_DATA_HOME");
    }

    MainWindow& w() { return view.window(); }
    template <class W>
    W* at(Outlet o) {
        return w().as<W>(o);
    }
    bool shown(Outlet o) { return w().outlet(o)->isVisibleTo(&w()); }
    // The names of those of the outlets that are shown, in the order given.
    QStringList showing(std::initializer_list<Outlet> outlets) {
        QStringList names;
        for (const Outlet o : outlets)
            if (shown(o)) names << QString::fromStdString(std::string(outlet_name(o))).remove(QRegularExpression("^_"));
        return names;
    }
    void click(Outlet o) { QTest::mouseClick(at<QAbstractButton>(o), Qt::LeftButton); }
    void select_drive(int row) {
        auto* table = at<QTableView>(Outlet::idTableView);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(row, 1)).center());
    }
    void select_first_drive() { select_drive(0); }
    void to_range_screen() {
        select_first_drive();
        click(Outlet::next_btn);
    }
    void type(Outlet field, const QString& text) {
        auto* edit = at<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    // The screen shown fits a 1024 x 600 screen with a panel and a title bar.
    void fits() {
        const QSize least = w().minimumSizeHint().expandedTo(w().minimumSize());
        QVERIFY2(least.width() <= 1000 && least.height() <= 520,
                 qPrintable(QStringLiteral("screen %1 needs %2 x %3").arg(c->screen_counter).arg(least.width()).arg(least.height())));
    }
    std::string last_alert() const { return alerts.empty() ? std::string() : alerts.back().message; }
    // Next through the remaining screens of a search of the selected drive into the
    // chosen folder, then waits for its end.
    void start_search(bool photo) {
        fits();
        click(Outlet::next_btn);
        click(photo ? Outlet::browse_path : Outlet::browse_path_Sig);
        fits();
        click(Outlet::next_btn);
        fits();
        if (!photo) click(Outlet::next_btn);
        fits();
    }
    void search(bool photo) {
        start_search(photo);
        QVERIFY(QTest::qWaitFor([this] { return !c->scan_thread_running() && at<QWidget>(Outlet::back_btn)->isEnabled(); }, 60000));
    }

    salvex::test::TempFolder home;
    QtView view;
    std::unique_ptr<MyTableController> c;
    std::vector<salvex::AlertRequest> alerts;
    std::deque<int> answers;
    QStringList windows;
    QStringList notices;  // the end notices' words, one entry per notice
    std::function<void(QDialog&)> inside_modal;
    std::optional<std::string> chosen_folder;
    std::vector<QUrl> opened;
    bool quit = false;
};

// Every signature file of the Birch edition, as its bundle holds them.
std::map<std::string, std::string> birch_signatures() {
    std::map<std::string, std::string> files;
    for (const char* name : {"Photo", "PhotoAdv", "Video", "VideoAdv", "Raw", "RawAdv", "Audio", "AudioAdv"})
        files[std::string("BIR") + name + ".sig"] = salvex::test::slurp(std::string(SALVEX_SIGNATURE_DATA) + "/" + name + ".sig");
    return files;
}

// A small card image: a photo, a PDF and a sound, each from a sector of its own, then empty space.
std::string small_card(const salvex::test::TempFolder& home) {
    QByteArray photo;
    QBuffer buffer(&photo);
    buffer.open(QIODevice::WriteOnly);
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkYellow);
    picture.save(&buffer, "JPG");
    const std::string pdf = "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj 2 0 obj<</Type/Pages/Kids[]/Count 0>>"
                            "endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n";
    std::string wav = "RIFF----WAVEfmt ";
    const auto le = [&wav](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) wav += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    le(16, 4), le(1, 2), le(1, 2), le(8000, 4), le(16000, 4), le(2, 2), le(16, 2);
    wav += "data";
    le(16000, 4);
    wav += std::string(16000, '\x01');
    wav.replace(4, 4, std::string{char((wav.size() - 8) & 0xFF), char((wav.size() - 8) >> 8), 0, 0});
    std::string card;
    for (const std::string& part : {photo.toStdString(), pdf, wav}) {
        card += part;
        card.resize((card.size() + 511) / 512 * 512, '\0');
    }
    card.resize(card.size() + 512 * 1024, '\0');
    return home.write("card.img", card);
}

// Carving runs a file on into whatever followed it on the card.
std::string carved(std::string bytes) { return bytes + std::string(96 * 1024, '\x5a'); }

// Pixels of a picture that are clearly darker than paper.
int dark_pixels(const QImage& picture) {
    int dark = 0;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            if (qGray(rgb.pixel(x, y)) < 100) ++dark;
    return dark;
}

std::string pdf_with_black_square(const salvex::test::TempFolder& home) {
    const QString path = QString::fromStdString(home / "made.pdf");
    {
        QPdfWriter pdf(path);
        QPainter painter(&pdf);
        painter.fillRect(QRect(0, 0, pdf.width() / 2, pdf.height() / 2), Qt::black);
        pdf.newPage();
        painter.drawText(100, 100, QStringLiteral("second page"));
    }
    return salvex::test::slurp(path.toStdString());
}

// The file-type search screen of a video-mode window, its summary holding the given types.
struct FileScreen : Window {
    explicit FileScreen(const std::vector<std::string>& types) {
        Recovery_MODE = kVideoMode;
        for (const auto& t : types) c->createSignatureListTableRecord(t, 0, "", "", t);
        c->show_hide_1_screen(true);
        c->show_hide_4_screen_RawFile(false);
    }
    // Lists a file the way the engine hands one over.
    std::string list(const std::string& name, const std::string& bytes) {
        const std::string path = home.write("out/" + name, bytes);
        c->addImageWithPath_2(path, name, name);
        return path;
    }
    void click_row(int row) {
        auto* files = at<QAbstractItemView>(Outlet::imageBrowser_2);
        const QModelIndex index = files->model()->index(row, 0);
        files->scrollTo(index);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(index).center());
        QTest::qWait(0);  // the selection reaches the controller queued
        QCoreApplication::processEvents();
    }
    QMediaPlayer* player() { return w().preview_pane->player(); }
    QImage picture() { return at<QLabel>(Outlet::QuickLook_View)->pixmap().toImage(); }
};

}  // namespace

// What each edition's window offers before anything is chosen.
class StartUp : public QObject {
    Q_OBJECT
private slots:
    // Which edition offers which modes is the edition test's; here the radios follow
    // what the controller offers, and an edition of photos alone shows none.
    void modeRadiosFollowTheEdition_data() {
        QTest::addColumn<QString>("edition");
        for (const char* key : {"Birch", "Alder", "Fir"}) QTest::newRow(key) << key;
    }
    void modeRadiosFollowTheEdition() {
        QFETCH(QString, edition);
        Window win(edition_name(edition));
        const auto offered = [&win](std::int32_t mode) { return win.c->mode_is_offered(mode); };
        // The box of radios only where there is a choice.
        const bool choice = offered(kVideoMode) || offered(kRawFileMode) || offered(kAudioMode);
        for (int screen = 0; screen < 2; ++screen) {  // again after Back from the range screen
            QCOMPARE(win.shown(Outlet::rec_mode_Box), choice);
            for (const auto& [mode, radio] : {std::pair{kPhotoMode, Outlet::rec_mode_Photo}, {kVideoMode, Outlet::rec_mode_Video},
                                              {kRawFileMode, Outlet::rec_mode_RawFile}, {kAudioMode, Outlet::rec_mode_Audio}})
                QCOMPARE(win.shown(radio), choice && offered(mode));
            win.to_range_screen();
            win.click(Outlet::back_btn);
        }
    }

    void deviceScreenIsTheOnlyScreenShown() {
        Window win;
        QCOMPARE(win.w().windowTitle(), QStringLiteral("Salvex Birch Recovery"));
        QCOMPARE(win.showing({Outlet::idTableView, Outlet::refresh_btn, Outlet::searching_criteria_Box,
                              Outlet::searching_criteria_Box_Sig, Outlet::browse_path, Outlet::idCheckTableView,
                              Outlet::imageBrowser, Outlet::imageBrowser_2, Outlet::Progress_Horz, Outlet::stop_scan,
                              Outlet::open_folder, Outlet::Search_Type}),
                 (QStringList{"idTableView", "refresh_btn"}));
        QVERIFY(!win.at<QPushButton>(Outlet::back_btn)->isEnabled());
        QVERIFY(win.at<QPushButton>(Outlet::next_btn)->isDefault());
        // Help shows the desktop's own help icon when it has one.
        const QString help_icon = QStringLiteral("/usr/share/icons/Adwaita/24x24/legacy/help-browser.png");
        if (!QIcon::hasThemeIcon(QStringLiteral("help-browser")) && QFileInfo::exists(help_icon))
            QCOMPARE(win.w().help_button->icon().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     QImage(help_icon).convertToFormat(QImage::Format_ARGB32_Premultiplied));
        QCOMPARE(win.w().current_step(), 0);
        // The wording is the controller's (checked in the wizard test); the label drops the leading line feed.
        QCOMPARE(win.at<QLabel>(Outlet::help_info)->text(),
                 QString::fromStdString(std::string(salvex::text::kDeviceHelp)).trimmed());
    }

    void deviceTableReadsAsWordsWithTheControllersColumns() {
        Window win;
        const QAbstractItemModel* model = win.at<QTableView>(Outlet::idTableView)->model();
        const QStringList headers{"Drive", "Volume Name", "File System", "Capacity", "Parent Disk", "Sectors"};
        QCOMPARE(model->columnCount(), 6);
        for (int col = 0; col < 6; ++col) {
            QCOMPARE(model->headerData(col, Qt::Horizontal).toString(), headers[col]);
            QCOMPARE(model->headerData(col, Qt::Horizontal, salvex::gui::OutletTableModel::kIdentifierRole).toString(),
                     QStringLiteral("Collumn%1").arg(col + 1));
        }
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("sdz1"));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("HOLIDAY"));
        QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("1000"));
    }

    void labelsLeadToTheirControls() {
        Window win;
        for (const auto& [label, control] : {std::pair{Outlet::Start_Sec_curr, Outlet::Start_slider_val},
                                             {Outlet::End_Sec_curr_Sig, Outlet::End_slider_val_Sig},
                                             {Outlet::path_label, Outlet::browse_path},
                                             {Outlet::Thro_Mode_Chk_Label, Outlet::Thro_Mode_Chk},
                                             {Outlet::zoom_label, Outlet::zoom_slider}})
            QCOMPARE(win.at<QLabel>(label)->buddy(), win.w().outlet(control));
    }
};

// Next and Back between the device screen and the range screen.
class DeviceScreen : public QObject {
    Q_OBJECT
private slots:
    void nextWithoutASelectedDriveAsksForOne() {
        Window win;
        win.click(Outlet::next_btn);
        QCOMPARE(win.alerts.size(), std::size_t{1});
        QCOMPARE(win.alerts[0].message, std::string("\nPlease select a storage media from list."));
        QVERIFY(win.alerts[0].informative.empty());
        QCOMPARE(win.alerts[0].buttons, std::vector<std::string>{"OK"});
        QVERIFY(win.shown(Outlet::idTableView));
        QVERIFY(!win.shown(Outlet::searching_criteria_Box));
        QCOMPARE(win.c->screen_counter, 0);
    }

    void nextWithADriveShowsItsRangeScreenAndBackReturns() {
        Window win;
        win.to_range_screen();
        QVERIFY(win.alerts.empty());
        const auto screens = {Outlet::idTableView, Outlet::searching_criteria_Box, Outlet::disk_val, Outlet::Start_Slider,
                              Outlet::searching_criteria_Box_Sig, Outlet::Search_Type};
        // What the labels say is the wizard test's; here that the window shows it.
        QCOMPARE(win.showing(screens), (QStringList{"searching_criteria_Box", "disk_val", "Search_Type"}));
        QCOMPARE(win.at<QLabel>(Outlet::disk_val)->text().toStdString(), win.view.text(Outlet::disk_val));
        QCOMPARE(win.w().windowTitle(), QStringLiteral("Salvex Birch Recovery - Photo Search"));
        QVERIFY(win.at<QPushButton>(Outlet::back_btn)->isEnabled());
        QCOMPARE(win.w().current_step(), 1);

        win.click(Outlet::back_btn);
        QCOMPARE(win.showing(screens), QStringList{"idTableView"});
        QCOMPARE(win.w().current_step(), 0);
    }

    // The file-type list: a mark for thorough-only types, and Space ticks the row
    // the keyboard is on, keeping the select-all box in step.
    void fileTypeListMarksThoroughTypesAndTicksWithSpace() {
        const std::string data = SALVEX_SIGNATURE_DATA;
        Window win("Salvex Birch Recovery", 1000,
                   {{"BIRVideo.sig", salvex::test::slurp(data + "/Video.sig")},
                    {"BIRVideoAdv.sig", salvex::test::slurp(data + "/VideoAdv.sig")}});
        win.chosen_folder = win.home / "out";
        win.click(Outlet::rec_mode_Video);
        win.to_range_screen();
        win.click(Outlet::browse_path_Sig);
        win.click(Outlet::next_btn);
        auto* table = win.at<QTableView>(Outlet::idCheckTableView);
        QVERIFY(win.shown(Outlet::idCheckTableView));
        QVERIFY(!table->isColumnHidden(3));
        QStringList marks;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            marks << table->model()->index(row, 3).data().toString();
        QVERIFY(marks.contains(QStringLiteral("YES")));
        QVERIFY(marks.contains(QString()));

        const QModelIndex description = table->model()->index(1, 2);
        table->setFocus();
        table->setCurrentIndex(description);
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(description.siblingAtColumn(0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!win.at<QCheckBox>(Outlet::select_unselect_Chk)->isChecked());
        QTest::keyClick(table, Qt::Key_Space);
        QCOMPARE(description.siblingAtColumn(0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(win.at<QCheckBox>(Outlet::select_unselect_Chk)->isChecked());
    }

    // The listed volume is gone by the time the search starts (sdz1 is no device
    // here): the device dialog, and the range screen again, nothing left running.
    void aVolumeGoneBeforeTheSearchGivesTheDeviceDialog() {
        Window win;
        win.chosen_folder = win.home / "out";
        win.to_range_screen();
        win.click(Outlet::browse_path);
        win.click(Outlet::next_btn);
        QTRY_VERIFY(!win.c->scan_thread_running());
        QTRY_VERIFY(win.shown(Outlet::searching_criteria_Box));
        QVERIFY(!win.alerts.empty());
        QCOMPARE(win.last_alert(), std::string("Device Access Error"));
        QVERIFY(win.alerts.back().informative.ends_with("No such file or directory"));
        QVERIFY(!win.shown(Outlet::stop_scan));
        QVERIFY(win.at<QAbstractButton>(Outlet::next_btn)->isEnabled());
    }
};

// The range screen's choices and the checks Next makes of them.
class RangeScreen : public QObject {
    Q_OBJECT
private slots:
    void sectorRangeShowsTheSlidersWithTheWholeVolume() {
        Window win;
        win.to_range_screen();
        win.click(Outlet::sector_range_rd);
        QVERIFY(win.at<QRadioButton>(Outlet::sector_range_rd)->isChecked());
        QVERIFY(!win.at<QRadioButton>(Outlet::entire_disk_rd)->isChecked());
        const auto controls = {Outlet::Start_Slider, Outlet::End_slider_val, Outlet::disk_val};
        QCOMPARE(win.showing(controls), (QStringList{"Start_Slider", "End_slider_val"}));
        QCOMPARE(win.at<QLineEdit>(Outlet::Start_slider_val)->text(), QStringLiteral("0"));
        QCOMPARE(win.at<QLineEdit>(Outlet::End_slider_val)->text(), QStringLiteral("1000"));
        QCOMPARE(win.view.value(Outlet::End_Slider), std::uint64_t{1000});
        QCOMPARE(win.w().findChild<QLabel*>(QStringLiteral("_Start_slider_val_allowed"))->text(), QStringLiteral("(0 to 1000)"));
        win.click(Outlet::entire_disk_rd);
        QCOMPARE(win.showing(controls), QStringList{"disk_val"});
    }

    void typingMovesTheSliderOnlyWithinTheVolume_data() {
        QTest::addColumn<bool>("end");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qulonglong>("slider");
        QTest::newRow("start inside") << false << "250" << qulonglong{250};
        QTest::newRow("start with letters") << false << "a1b2" << qulonglong{12};  // digits only are taken
        QTest::newRow("end inside") << true << "999" << qulonglong{999};
        QTest::newRow("end at the volume's end") << true << "1000" << qulonglong{1000};
        // Typed one key at a time: "500" still fitted, "5000" leaves the slider there.
        QTest::newRow("end beyond the volume") << true << "5000" << qulonglong{500};
    }
    void typingMovesTheSliderOnlyWithinTheVolume() {
        QFETCH(bool, end);
        QFETCH(QString, typed);
        QFETCH(qulonglong, slider);
        Window win;
        win.to_range_screen();
        win.click(Outlet::sector_range_rd);
        const Outlet field = end ? Outlet::End_slider_val : Outlet::Start_slider_val;
        const Outlet knob = end ? Outlet::End_Slider : Outlet::Start_Slider;
        win.type(field, typed);
        QCOMPARE(win.at<QLineEdit>(field)->text(), typed.remove(QRegularExpression("[^0-9]")));
        QCOMPARE(win.view.value(knob), std::uint64_t{slider});
        QCOMPARE(win.at<QSlider>(knob)->value(), static_cast<int>(slider));
    }

    void browsingSetsBothPathFieldsAfterTheInformation() {
        Window win;
        win.to_range_screen();
        win.chosen_folder = "/tmp/Mes photos \u00e9t\u00e9";
        win.click(Outlet::browse_path);
        QCOMPARE(win.windows, (QStringList{"BrowseInfo_Window", "folder chooser"}));
        QCOMPARE(win.at<QLineEdit>(Outlet::path)->text(), QStringLiteral("/tmp/Mes photos \u00e9t\u00e9"));
        QCOMPARE(win.view.text(Outlet::path_Sig), *win.chosen_folder);
        // Cancelling the chooser keeps the folder, in both sets.
        win.chosen_folder.reset();
        win.click(Outlet::browse_path);
        QCOMPARE(win.view.text(Outlet::path), std::string("/tmp/Mes photos \u00e9t\u00e9"));
        QCOMPARE(win.view.text(Outlet::path_Sig), std::string("/tmp/Mes photos \u00e9t\u00e9"));
        QVERIFY(win.alerts.empty());
    }

    // Every case of the range checks is in the wizard test; here one per field the
    // focus goes to. An empty destination is refused first, whatever the range.
    void nextChecksTheChoicesAndFocusesTheFieldToMend_data() {
        QTest::addColumn<bool>("destination");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        QTest::newRow("no destination") << false << "1001" << "1000" << "Please select valid destination path."
                                        << int(Outlet::browse_path);
        QTest::newRow("start beyond the volume") << true << "1001" << "1000" << "Please enter valid Start Sector value."
                                                 << int(Outlet::Start_slider_val);
        QTest::newRow("end equal to start") << true << "10" << "10" << "End Sector should be greater than Start Sector."
                                            << int(Outlet::End_slider_val);
    }
    void nextChecksTheChoicesAndFocusesTheFieldToMend() {
        QFETCH(bool, destination);
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, message);
        QFETCH(int, focus);
        Window win;
        win.to_range_screen();
        win.chosen_folder = win.home / "out";
        if (destination) win.click(Outlet::browse_path);
        win.click(Outlet::sector_range_rd);
        win.type(Outlet::Start_slider_val, start);
        win.type(Outlet::End_slider_val, end);
        win.click(Outlet::next_btn);
        QCOMPARE(win.last_alert(), "\n" + message.toStdString());
        QCOMPARE(win.w().focusWidget(), win.w().outlet(static_cast<Outlet>(focus)));
        QVERIFY(win.shown(Outlet::searching_criteria_Box));
        QCOMPARE(win.c->screen_counter, 1);
        QVERIFY(!win.c->scan_thread_running());
    }
};

// Sector numbers beyond what an int holds stay exact through the sliders.
class Sliders : public QObject {
    Q_OBJECT
private slots:
    void scaleEndsAreExact_data() {
        QTest::addColumn<qulonglong>("minimum");
        QTest::addColumn<qulonglong>("maximum");
        const qulonglong big = std::numeric_limits<std::uint64_t>::max();
        QTest::newRow("empty") << qulonglong{0} << qulonglong{0};
        QTest::newRow("one sector") << qulonglong{0} << qulonglong{1};
        QTest::newRow("small card") << qulonglong{0} << qulonglong{131072};
        QTest::newRow("largest int") << qulonglong{0} << qulonglong{2147483647};
        QTest::newRow("just beyond int") << qulonglong{0} << qulonglong{2147483653};
        QTest::newRow("offset 4 TiB") << qulonglong{7} << (qulonglong{1} << 33) + 7;
        QTest::newRow("whole 64 bits") << qulonglong{0} << big;
    }
    void scaleEndsAreExact() {
        QFETCH(qulonglong, minimum);
        QFETCH(qulonglong, maximum);
        salvex::gui::SectorScale scale;
        scale.set_range(minimum, maximum);
        QVERIFY(scale.steps() >= 0 && scale.steps() <= salvex::gui::SectorScale::kMaxSteps);
        QCOMPARE(scale.to_value(0), std::uint64_t{minimum});
        QCOMPARE(scale.to_value(scale.steps()), std::uint64_t{maximum});
        QCOMPARE(scale.to_position(minimum), 0);
        QCOMPARE(scale.to_position(maximum), scale.steps());
        std::uint64_t previous = minimum;
        for (int i = 0; i <= 64; ++i) {
            const int position = static_cast<int>(static_cast<long long>(scale.steps()) * i / 64);
            const std::uint64_t value = scale.to_value(position);
            QVERIFY(value >= previous);
            QCOMPARE(scale.to_position(value), position);
            previous = value;
        }
    }

    // Keys move the sliders and write their fields; a typed value is kept exactly.
    void sectorsBeyondIntStayExactThroughKeysAndTyping() {
        const std::uint64_t sectors = (std::uint64_t{1} << 32) + 12345;
        Window win("Salvex Birch Recovery", sectors);
        win.to_range_screen();
        win.click(Outlet::sector_range_rd);
        auto* end = win.at<QSlider>(Outlet::End_Slider);
        end->setFocus();
        QTest::keyClick(end, Qt::Key_Home);
        QCOMPARE(win.at<QLineEdit>(Outlet::End_slider_val)->text(), QStringLiteral("0"));
        QTest::keyClick(end, Qt::Key_End);
        QCOMPARE(win.at<QLineEdit>(Outlet::End_slider_val)->text(), QString::number(sectors));
        QCOMPARE(win.view.value(Outlet::End_Slider), sectors);
        auto* start = win.at<QSlider>(Outlet::Start_Slider);
        start->setFocus();
        QTest::keyClick(start, Qt::Key_End);
        QCOMPARE(win.at<QLineEdit>(Outlet::Start_slider_val)->text(), QString::number(sectors));

        win.type(Outlet::End_slider_val, QStringLiteral("4294967301"));
        QCOMPARE(win.view.value(Outlet::End_Slider), std::uint64_t{4294967301});
        QVERIFY(end->value() > 0 && end->value() < end->maximum());
    }

    void progressBarCountsSectorsBeyondInt() {
        Window win;
        const std::uint64_t total = std::uint64_t{1} << 40;
        win.view.set_range(Outlet::Progress_Horz, 0, total);
        win.view.set_value(Outlet::Progress_Horz, total / 2);
        QCOMPARE(win.view.value(Outlet::Progress_Horz), total / 2);
        const auto* bar = win.at<QProgressBar>(Outlet::Progress_Horz);
        QCOMPARE(bar->value(), bar->maximum() / 2);
        // A range of nothing must not turn the bar into a busy indicator.
        win.view.set_range(Outlet::Progress_Horz, 0, 0);
        QVERIFY(bar->maximum() > 0);
    }
};

// Leaving the program, the help document, the support window and alerts.
class ExitHelpSupport : public QObject {
    Q_OBJECT
private slots:
    void onlyYesQuits_data() {
        QTest::addColumn<bool>("close_box");
        QTest::addColumn<int>("answer");
        QTest::newRow("No at the Exit button") << false << 1;
        QTest::newRow("No at the close box") << true << 1;
        QTest::newRow("Yes at the close box") << true << 0;
    }
    void onlyYesQuits() {
        QFETCH(bool, close_box);
        QFETCH(int, answer);
        Window win;
        win.answers = {answer};
        if (close_box) win.w().close();
        else QTest::mouseClick(win.w().exit_button, Qt::LeftButton);
        QCOMPARE(win.alerts.size(), std::size_t{1});
        QCOMPARE(win.alerts[0].message, std::string("\nDo you really want to exit from Salvex Recovery Software?"));
        QVERIFY(win.alerts[0].informative.empty());
        QCOMPARE(win.alerts[0].buttons, (std::vector<std::string>{"Yes", "No"}));
        QCOMPARE(win.quit, answer == 0);
        QVERIFY(win.w().isVisible());  // the program ends, the window never closes by itself
    }

    void alertBoxHasExactlyTheTextsAndButtons() {
        const salvex::AlertRequest request{.message = std::string(salvex::text::kExitQuestion),
                                           .informative = "",
                                           .buttons = {"Yes", "No"}};
        const auto box = salvex::gui::make_alert_box(request, nullptr);
        QCOMPARE(box->text(), QString::fromStdString(request.message));
        QVERIFY(box->informativeText().isEmpty());
        QCOMPARE(box->buttons().size(), 2);
        QCOMPARE(box->defaultButton()->text(), QStringLiteral("Yes"));
        QCOMPARE(box->escapeButton()->text(), QStringLiteral("No"));
        QCOMPARE(salvex::gui::alert_answer(*box), 1);  // closed without a press: the cautious answer
        box->defaultButton()->click();
        QCOMPARE(salvex::gui::alert_answer(*box), 0);
    }

    // Without the guide the Help button says so; with it, the Help button and the
    // support window's guide button open it, or say how to open it by hand.
    void helpOpensTheGuideFromTheResourcesOrSaysItIsMissing() {
        {
            Window without;
            QTest::mouseClick(without.w().help_button, Qt::LeftButton);
            QCOMPARE(without.alerts.size(), std::size_t{1});
            QCOMPARE(without.alerts[0].message, std::string("\nHelp file does not exist!"));
            QCOMPARE(without.alerts[0].buttons, std::vector<std::string>{"OK"});
            QVERIFY(without.opened.empty());
        }
        Window win("Salvex Birch Recovery", 1000, {{"Help.pdf", "%PDF-1.4\n"}});
        QTest::mouseClick(win.w().help_button, Qt::LeftButton);
        win.inside_modal = [](QDialog& dialog) {
            auto* guide = dialog.findChild<QPushButton*>(QStringLiteral("HelpFilePressed"));
            QVERIFY(guide != nullptr);
            guide->click();
        };
        QTest::mouseClick(win.w().contact_button, Qt::LeftButton);
        QVERIFY(win.alerts.empty());
        QCOMPARE(win.opened.size(), std::size_t{2});
        for (const QUrl& url : win.opened)
            QVERIFY(url.toLocalFile().endsWith(QStringLiteral("Salvex Birch Recovery.app/Contents/Resources/Help.pdf")));

        // An opener that fails, is missing or reports a failure later gives the path or address to open by hand.
        win.view.url_opener = [](const QUrl&) { return false; };
        QTest::mouseClick(win.w().help_button, Qt::LeftButton);
        QCOMPARE(win.last_alert(), std::string("\nThis file could not be opened."));
        QVERIFY(win.alerts.back().informative.ends_with("\n" + win.opened[0].toLocalFile().toStdString()));
        win.view.url_opener = nullptr;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(win.home / "bin"));
        win.view.open_url(win.c->Website_1);
        QCOMPARE(win.last_alert(), std::string("\nThis address could not be opened."));
        QVERIFY(win.alerts.back().informative.ends_with("\n" + win.c->Website_1));
        std::filesystem::permissions(win.home.write("bin/xdg-open", "#!/bin/sh\nexit 4\n"), std::filesystem::perms::owner_all);
        QVERIFY(win.view.open_file(win.home / "bin"));  // it starts, then says it failed
        QTRY_COMPARE(win.alerts.size(), std::size_t{3});
        QCOMPARE(win.last_alert(), std::string("\nThis folder could not be opened."));
        qputenv("PATH", path);
    }

    // The support window shows and opens the edition's addresses; copying leaves one plain-text item.
    void supportWindowOpensAndCopiesTheEditionsAddresses() {
        Window win;
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        win.inside_modal = [&win](QDialog& dialog) {
            auto* site = dialog.findChild<QPushButton*>(QStringLiteral("website_1"));
            auto* mail = dialog.findChild<QPushButton*>(QStringLiteral("support_id"));
            auto* copy = dialog.findChild<QPushButton*>(QStringLiteral("Copy_Email"));
            QVERIFY(site != nullptr && mail != nullptr && copy != nullptr);
            QCOMPARE(site->text(), QStringLiteral("salvex-recovery.example"));
            QCOMPARE(mail->text().toStdString(), win.c->support_id);
            QCOMPARE(site->cursor().shape(), Qt::OpenHandCursor);
            site->click();
            mail->click();
            copy->click();
        };
        QTest::mouseClick(win.w().contact_button, Qt::LeftButton);
        QCOMPARE(win.windows, QStringList{"HelpWindow"});
        QCOMPARE(win.opened.size(), std::size_t{2});
        QCOMPARE(win.opened[0].toString().toStdString(), win.c->Website_1);
        QCOMPARE(win.opened[1].scheme(), QStringLiteral("mailto"));
        const QMimeData* held = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(held->formats(), QStringList{"text/plain"});
        QCOMPARE(held->text().toStdString(), win.c->support_id);
        QCOMPARE(win.last_alert(), std::string("\nText copied successfully."));
        win.inside_modal = nullptr;
        QTest::mouseClick(win.w().about_button, Qt::LeftButton);
        QCOMPARE(win.windows.last(), QStringLiteral("About_Window"));
    }
};

// The thumbnail browser, and work handed to the window from other threads.
class Results : public QObject {
    Q_OBJECT
private slots:
    void endNoticeSaysWhichSectorsCouldNotBeReadAndWhatHoldsZeros() {
        ScanTally tally;
        tally.general_files = 2;
        tally.unreadable_sectors = 1;
        tally.first_unreadable = 5;
        tally.files_with_zeros = {"/out/GND00001.JPG"};
        const salvex::gui::EndNotice one = salvex::gui::end_notice(ScanOutcome::Completed, tally, true);
        QVERIFY2(one.text.endsWith(QStringLiteral("One sector of the card could not be read, even on a second try "
                                                  "(sector 5). One saved file holds zeros in their place; report.xml "
                                                  "names it.")),
                 qPrintable(one.text));
        tally.unreadable_sectors = 3;
        tally.files_with_zeros.push_back("/out/GND00002.JPG");
        const salvex::gui::EndNotice three = salvex::gui::end_notice(ScanOutcome::Failed, tally, false);
        QVERIFY2(three.text.contains(QStringLiteral("3 sectors of the card could not be read, even on a second try (the "
                                                    "first is sector 5). 2 saved files hold zeros")),
                 qPrintable(three.text));
        QCOMPARE(three.heading, QStringLiteral("The card could not be read to its end"));
    }

    void photosShowThumbnailsAndUndecodableOnesTheNoPreviewPicture() {
        QByteArray no_preview;
        QBuffer buffer(&no_preview);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(salvex::gui::paint_no_preview_picture(64).save(&buffer, "PNG"));
        Window win("Salvex Birch Recovery", 1000, {{"NoPreview.png", no_preview.toStdString()}});
        QImage photo(400, 300, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        const std::string good = win.home / "GND00001.JPG";
        QVERIFY(photo.save(QString::fromStdString(good), "JPG"));
        const std::string bad = win.home.write("GND00002.JPG", std::string(4096, 'x'));

        win.view.set_hidden(Outlet::idImagesclview, false);
        win.view.set_hidden(Outlet::imageBrowser, false);
        win.c->addImageWithPath(good, "GND00001.JPG", "1");
        win.c->addImageWithPath(bad, "GND00002.JPG", "2");
        auto* browser = win.at<QListView>(Outlet::imageBrowser);
        const auto* model = win.w().thumbnails;
        // Listed and counted at once; the pictures come from a worker.
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(win.c->Preview_Image_Count.load(), 2u);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("GND00001.JPG"));
        // A cell whose picture is still coming is full size: the list's uniform cells follow the first.
        browser->doItemsLayout();
        QVERIFY(browser->visualRect(model->index(0, 0)).height() > browser->iconSize().height());
        QTRY_VERIFY(model->shows_no_preview(1));
        QTRY_VERIFY(!win.w().thumbnail_cache->get(QString::fromStdString(good)).isNull());
        QVERIFY(!model->shows_no_preview(0));

        QCOMPARE(win.c->images[1].imageData.size(), no_preview.size());

        // Double-clicking the no-preview picture opens nothing; a real photo opens.
        const auto double_click = [browser](int row) { emit browser->doubleClicked(browser->model()->index(row, 0)); };
        double_click(1);
        QVERIFY(win.opened.empty());
        double_click(0);
        QCOMPARE(win.opened.size(), std::size_t{1});
        QCOMPARE(win.opened[0].toLocalFile().toStdString(), good);

        // Emptied by the controller: the browser follows.
        win.c->images.clear();
        win.view.reload(Outlet::imageBrowser);
        QCOMPARE(model->rowCount(), 0);
    }

    // Dragging reorders by the controller's block rule; Delete removes; a drop that
    // did not start in this browser changes nothing.
    void dragAndDeleteEditTheSharedList() {
        Window win;
        win.view.set_hidden(Outlet::idImagesclview, false);
        win.view.set_hidden(Outlet::imageBrowser, false);
        for (const char* name : {"1", "2", "3", "4", "5"}) {
            MyImageObject item;
            item.path = win.home / name;
            item.image_Name = item.image_UID = name;
            win.c->images.push_back(item);
        }
        win.view.reload(Outlet::imageBrowser);
        auto* browser = static_cast<salvex::gui::BrowserView*>(win.at<QListView>(Outlet::imageBrowser));
        QTRY_VERIFY(browser->visualRect(browser->model()->index(4, 0)).isValid());
        const auto order = [&] {
            QString out;
            for (const auto& item : win.c->images) out += QString::fromStdString(item.image_Name);
            return out;
        };
        const auto drop = [&](QMimeData* payload, int row) {
            const QRect cell = browser->visualRect(browser->model()->index(row, 0));
            const QPoint at(cell.left() + 2, cell.center().y());
            // The application hands a drop only to the widget that accepted the drag's entry.
            QDragEnterEvent enter(at, Qt::MoveAction, payload, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(browser->viewport(), &enter);
            QDropEvent event(QPointF(at), Qt::MoveAction, payload, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(browser->viewport(), &event);
            delete payload;
        };
        drop(browser->rows_payload({0, 1}), 3);
        QCOMPARE(order(), QStringLiteral("31245"));
        QCOMPARE(browser->model()->index(0, 0).data().toString(), QStringLiteral("3"));

        auto* file_list = static_cast<salvex::gui::FileListView*>(win.at<QTreeView>(Outlet::imageBrowser_2));
        drop(file_list->rows_payload({0}), 4);
        QCOMPARE(order(), QStringLiteral("31245"));

        browser->setFocus();
        browser->selectionModel()->select(browser->model()->index(1, 0), QItemSelectionModel::Select);
        browser->selectionModel()->select(browser->model()->index(4, 0), QItemSelectionModel::Select);
        QTest::keyClick(browser, Qt::Key_Delete);
        QCOMPARE(order(), QStringLiteral("324"));
        QCOMPARE(browser->model()->rowCount(), 3);
        const std::unique_ptr<QMimeData> dragged(browser->model()->mimeData({browser->model()->index(0, 0)}));
        QVERIFY(!dragged->hasUrls());
    }

    void zoomSliderScalesTheThumbnails() {
        Window win;
        auto* zoom = win.at<QSlider>(Outlet::zoom_slider);
        auto* browser = win.at<QListView>(Outlet::imageBrowser);
        QCOMPARE(zoom->value(), 50);
        zoom->setValue(100);
        QCOMPARE(browser->iconSize().width(), QtView::zoom_pixels(1.0));
        zoom->setValue(0);
        QCOMPARE(browser->iconSize().width(), QtView::zoom_pixels(0.0));
        QVERIFY(QtView::zoom_pixels(0.0) < QtView::zoom_pixels(0.55));
    }

    void workFromAnotherThreadRunsOnTheWindowsThread() {
        Window win;
        QThread* ran_on = nullptr;
        std::atomic<bool> done{false};
        bool failure_reached_caller = false;
        std::thread worker([&] {
            win.view.post_and_wait([&] { ran_on = QThread::currentThread(); });
            try {
                win.view.post_and_wait([] { throw std::runtime_error("from the window"); });
            } catch (const std::runtime_error& e) {
                failure_reached_caller = std::string(e.what()) == "from the window";
            }
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(ran_on, QApplication::instance()->thread());
        QVERIFY(failure_reached_caller);

        bool posted = false;
        win.view.post([&] { posted = true; });
        QVERIFY(!posted);  // queued, not run at once
        QTRY_VERIFY(posted);
    }
};

// Whole searches in one window, the way people go from one to the next.
class Journeys : public QObject {
    Q_OBJECT
private slots:
    // Each mode searched to its end, one after another, photo again last: every
    // search finds its controls ready, the added image stays listed through Back
    // and Refresh List, and each notice counts what the passes saved and where.
    void everyModeOneAfterAnotherInOneWindow() {
        namespace fs = std::filesystem;
        Window win("Salvex Birch Recovery", 1000, birch_signatures());
        win.chosen_folder = win.home / "out";
        const std::string card = small_card(win.home);
        QVERIFY(win.view.add_disk_image_path(card));
        for (const Outlet mode : {Outlet::rec_mode_Photo, Outlet::rec_mode_Video, Outlet::rec_mode_RawFile,
                                  Outlet::rec_mode_Audio, Outlet::rec_mode_Photo}) {
            const bool photo = mode == Outlet::rec_mode_Photo;
            win.click(Outlet::refresh_btn);
            win.click(mode);
            QCOMPARE(win.c->nsMutaryOfDataObject.size(), std::size_t{2});
            QCOMPARE(win.c->nsMutaryOfDataObject.back().nsStrDiskIdentifier, card);
            QCOMPARE(win.w().step_names().size(), photo ? 3 : 4);
            win.select_drive(1);
            win.search(photo);
            const std::string_view title = salvex::text::mode_title(Recovery_MODE);
            QVERIFY(win.w().windowTitle().endsWith(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()))));
            QVERIFY(!photo || win.w().scan_stats->text().contains(QStringLiteral("found")));
            QVERIFY2(win.alerts.empty(), win.last_alert().c_str());
            QCOMPARE(win.c->scan_outcome.load(), ScanOutcome::Completed);
            const fs::path folder = win.c->scan_tally.result_folder;
            std::size_t saved = 0;
            for (const auto& entry : fs::recursive_directory_iterator(folder / "General Recovery Results"))
                saved += entry.is_regular_file() ? 1 : 0;
            QVERIFY(!photo || saved == 1);
            const QString notice = win.notices.last();
            QVERIFY(notice.contains(QStringLiteral("The search is finished")));
            QVERIFY2(notice.contains(saved == 0 ? QStringLiteral("no files")
                                     : saved == 1 ? QStringLiteral("1 file")
                                                  : QStringLiteral("%1 files").arg(saved)),
                     qPrintable(notice));
            QVERIFY(notice.contains(QString::fromStdString(folder.string())));
            for (int screen = win.c->screen_counter; screen > 0; --screen) win.click(Outlet::back_btn);
            QCOMPARE(win.c->screen_counter, 0);
            QVERIFY(win.at<QRadioButton>(Outlet::rec_mode_Photo)->isChecked());  // Back to the start is photo mode again
        }
        QCOMPARE(win.notices.size(), 5);
        // Removed by the user, it is gone for good.
        win.select_drive(1);
        QVERIFY(win.w().remove_image_button->isVisible());
        QTest::keyClick(win.at<QTableView>(Outlet::idTableView), Qt::Key_Delete);
        win.click(Outlet::refresh_btn);
        QCOMPARE(win.c->nsMutaryOfDataObject.size(), std::size_t{1});
    }

    // A stop, a destination that refuses the data, and a search that ends while the
    // stop question is open (which goes as if answered No): the notice says which,
    // with the reason, and only after a whole search that everything was saved.
    void theEndNoticeSaysHowTheSearchEnded() {
        enum End { kStopped, kRefused, kUnderTheQuestion };
        for (const End end : {kStopped, kRefused, kUnderTheQuestion}) {
            Window win("Salvex Birch Recovery", 1000, birch_signatures());
            win.chosen_folder = win.home / "out";
            if (end == kRefused)
                win.home.write("out/Salvex Birch Recovery Results/Photo Search/General Recovery Results",
                               "a file where the folder goes");
            salvex::test::FaultySource source;
            source.pause_at(0);
            win.c->source_opener = source.wrap(win.c->source_opener);
            QVERIFY(win.view.add_disk_image_path(small_card(win.home)));
            QMessageBox* question = nullptr;
            bool question_closed_first = false;
            if (end == kUnderTheQuestion) {
                win.view.alert_answerer = nullptr;
                win.inside_modal = [&](QDialog& dialog) {
                    if (dialog.objectName() == QLatin1String("SaveFile_Info_Window")) {
                        question_closed_first = question != nullptr && question->clickedButton() == question->escapeButton();
                        return;
                    }
                    if (qobject_cast<QMessageBox*>(&dialog) == nullptr) return;  // the folder information
                    question = qobject_cast<QMessageBox*>(&dialog);
                    source.release();
                    QVERIFY(QTest::qWaitFor([&] { return win.notices.size() == 1; }, 60000));
                };
            }
            win.start_search(true);
            if (end != kRefused) {
                QVERIFY(QTest::qWaitFor([&] { return source.paused(); }, 20000));
                win.click(Outlet::stop_scan);
            }
            source.release();
            QVERIFY(QTest::qWaitFor([&] { return !win.c->scan_thread_running() && win.notices.size() == 1; }, 60000));
            const QString notice = win.notices.last();
            const char* heading = end == kStopped   ? "The search was stopped"
                                  : end == kRefused ? "Not everything could be saved"
                                                    : "The search is finished";
            QVERIFY2(notice.contains(QLatin1String(heading)), qPrintable(notice));
            QCOMPARE(notice.contains(QStringLiteral("Everything")), end == kUnderTheQuestion);
            if (end == kRefused) {
                QCOMPARE(win.alerts.size(), std::size_t{1});  // the engine's own message first
                QVERIFY(!win.c->scan_tally.failure.empty());
                QVERIFY(notice.contains(QString::fromStdString(win.c->scan_tally.failure)));
            }
            if (end == kUnderTheQuestion) {
                QVERIFY(question_closed_first);
                QCOMPARE(win.c->stop_now.load(), 0);
            }
        }
    }

    // The controller going away mid-search: it stops the search, lets through what
    // the scan thread posts to the window meanwhile, and joins, instead of waiting forever.
    void aControllerEndedMidSearchStopsItAndJoins() {
        Window win("Salvex Birch Recovery", 1000, birch_signatures());
        win.chosen_folder = win.home / "out";
        salvex::test::FaultySource source;
        source.pause_at(0);
        win.c->source_opener = source.wrap(win.c->source_opener);
        QVERIFY(win.view.add_disk_image_path(small_card(win.home)));
        win.start_search(true);
        QVERIFY(QTest::qWaitFor([&] { return source.paused(); }, 20000));
        win.view.post([&source] { source.release(); });  // runs only while the controller waits for its scan
        win.c.reset();
        QVERIFY(!source.paused());
        QCOMPARE(win.notices.size(), 1);
        QVERIFY2(win.notices.last().contains(QLatin1String("The search was stopped")), qPrintable(win.notices.last()));
    }
};

// The keyboard alone: Return goes forward and never reaches the exit question,
// Tab leaves a list at once, Escape never quits.
class Keyboard : public QObject {
    Q_OBJECT
private slots:
    void returnGoesForwardAndNeverReachesExit() {
        Window win("Salvex Birch Recovery", 1000, birch_signatures());
        win.chosen_folder = win.home / "out";
        QVERIFY(win.view.add_disk_image_path(small_card(win.home)));
        const auto press = [&win](int key) { QTest::keyClick(win.w().focusWidget(), Qt::Key(key)); };
        win.at<QWidget>(Outlet::idTableView)->setFocus();
        press(Qt::Key_Return);
        QCOMPARE(win.c->screen_counter, 1);
        QCOMPARE(win.w().focusWidget(), win.w().outlet(Outlet::entire_disk_rd));
        press(Qt::Key_Return);  // no folder yet: the focus goes to Browse, which Return presses
        QCOMPARE(win.last_alert(), std::string("\nPlease select valid destination path."));
        press(Qt::Key_Return);
        QCOMPARE(win.view.text(Outlet::path), *win.chosen_folder);
        win.click(Outlet::back_btn);
        QCOMPARE(win.w().focusWidget(), win.w().outlet(Outlet::rec_mode_Photo));
        win.click(Outlet::rec_mode_Audio);
        win.select_drive(1);
        press(Qt::Key_Return);
        win.click(Outlet::browse_path_Sig);
        win.click(Outlet::next_btn);
        QCOMPARE(win.c->screen_counter, 2);
        QCOMPARE(win.w().focusWidget(), win.w().outlet(Outlet::select_unselect_Chk));
        press(Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([&] { return win.at<QWidget>(Outlet::back_btn)->isEnabled(); }, 60000));
        QCOMPARE(win.windows.filter(QStringLiteral("SaveFile_Info_Window")).size(), 1);
        QVERIFY(!win.quit);
        QCOMPARE(win.alerts.size(), std::size_t{1});
    }

    void theDriveListIsOneTabStopAndEscapeNeverQuits() {
        Window win;
        win.view.add_disk_image_path(small_card(win.home));
        auto* table = win.at<QTableView>(Outlet::idTableView);
        win.select_first_drive();
        QTest::keyClick(table, Qt::Key_Down);
        QCOMPARE(table->currentIndex().row(), 1);
        QCOMPARE(win.w().focusWidget(), table);
        QStringList stops;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(win.w().focusWidget(), Qt::Key_Tab);
            stops << win.w().focusWidget()->objectName();
        }
        QCOMPARE(stops, (QStringList{"add_image", "remove_image", "_refresh_btn", "exit"}));
        QCOMPARE(win.w().focusWidget(), win.w().exit_button);  // by Tab only, and never after Next or Back
        for (const bool range : {false, true}) {
            if (range) win.to_range_screen();
            QTest::keyClick(win.w().focusWidget(), Qt::Key_Escape);
            QVERIFY(win.alerts.empty());
            QVERIFY(!win.quit);
        }
    }
};

// The file list and the per-type summary of the real table.
class ListAndSummary : public QObject {
    Q_OBJECT
private slots:
    void countsFollowExactExtensionsAndAFullListTakesNoMore() {
        FileScreen s({"MP4", "mov"});
        s.list("GEN00001.MP4", "a");
        s.list("GEN00002.MP4", "b");
        s.list("GEN00001.MOV", "c");
        const auto* summary = s.w().as<QTableView>(Outlet::idSigTableView)->model();
        QCOMPARE(summary->rowCount(), 2);
        QCOMPARE(summary->index(0, 1).data().toString(), QStringLiteral("2"));
        QCOMPARE(summary->index(0, 2).data().toString(), QStringLiteral("GEN00002.MP4"));
        QCOMPARE(summary->index(1, 1).data().toString(), QStringLiteral("0"));
        auto* files = s.w().as<QAbstractItemView>(Outlet::imageBrowser_2);
        QCOMPARE(files->model()->rowCount(), 3);
        QCOMPARE(files->model()->index(2, 0).data().toString(), QStringLiteral("GEN00001.MOV"));
        QVERIFY(!files->model()->index(2, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QUrl opened;
        s.view.url_opener = [&opened](const QUrl& url) {
            opened = url;
            return true;
        };
        emit files->doubleClicked(files->model()->index(1, 0));
        QCOMPARE(opened.toLocalFile().toStdString(), s.home / "out/GEN00002.MP4");

        // Name, Type, Size and Pass, sorted by a click on a column's header; a
        // selection in the sorted list previews the file it shows.
        const QStringList headers{"Name", "Type", "Size", "Pass"};
        for (int column = 0; column < 4; ++column)
            QCOMPARE(files->model()->headerData(column, Qt::Horizontal).toString(), headers[column]);
        QCOMPARE(files->model()->index(0, 1).data().toString(), QStringLiteral("MP4"));
        QCOMPARE(files->model()->index(0, 3).data().toString(), QStringLiteral("General"));
        s.c->addImageWithPath_2(s.home.write("out/Omitted (recovered by Thorough Scan)/THD00001.MP4", "tiny"),
                                "THD00001.MP4", "THD00001.MP4");
        QCOMPARE(files->model()->index(3, 3).data().toString(), QStringLiteral("Thorough"));
        auto* header = static_cast<QTreeView*>(files)->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(2) + 5, 5));
        QCOMPARE(files->model()->index(3, 0).data().toString(), QStringLiteral("THD00001.MP4"));  // 4 bytes, the largest
        s.click_row(3);
        QCOMPARE(s.w().as<QGroupBox>(Outlet::QuickLook_View_Box)->title(), QStringLiteral("THD00001.MP4"));
        header->setSortIndicator(-1, Qt::AscendingOrder);

        s.c->images.resize(MyTableController::PREVIEW_CLEAR_LIMIT);
        s.view.reload(Outlet::imageBrowser_2);
        s.list("GEN00003.MP4", "d");
        QCOMPARE(files->model()->rowCount(), 2000);
        QCOMPARE(summary->index(0, 1).data().toString(), QStringLiteral("3"));
    }
};

// Selecting a file previews it; nothing a carving leaves behind may crash or hang it.
class Preview : public QObject {
    Q_OBJECT
private slots:
    void aCarvedMp4PlaysWithItsPositionAdvancing() {
        if (salvex::test::run("ffmpeg -hide_banner -encoders 2>/dev/null | grep -q ' libx264 '").status != 0)
            QSKIP("ffmpeg with libx264 is not installed (Debian package ffmpeg): no MP4 to play");
        FileScreen s({"MP4"});
        const std::string made = s.home / "made.mp4";
        const auto ran = salvex::test::run(
            "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=duration=4:size=320x240:rate=25 "
            "-c:v libx264 -pix_fmt yuv420p '" + made + "'");
        QVERIFY2(ran.status == 0, ran.output.c_str());
        s.list("GEN00001.MP4", carved(salvex::test::slurp(made)));
        s.click_row(0);
        if (s.player()->error() != QMediaPlayer::NoError &&
            s.player()->mediaStatus() == QMediaPlayer::InvalidMedia)
            QSKIP(qPrintable("no Qt Multimedia backend here can play H.264 MP4: " + s.player()->errorString()));
        QVERIFY(s.shown(Outlet::mMovieView));
        QVERIFY(!s.shown(Outlet::QuickLook_View));
        QCOMPARE(s.w().as<QGroupBox>(Outlet::QuickLook_View_Box)->title(), QStringLiteral("GEN00001.MP4"));
        QTRY_COMPARE(s.player()->playbackState(), QMediaPlayer::PlayingState);
        QTRY_VERIFY(s.player()->position() > 0);
        const qint64 first = s.player()->position();
        QTRY_VERIFY(s.player()->position() > first);
        QVERIFY(!s.w().preview_pane->sheet_shown());

        // Play/pause and the position slider under the movie.
        auto* play = s.w().preview_pane->play_button();
        QVERIFY(play->isVisible() && s.w().preview_pane->position_slider()->isVisible());
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(s.player()->playbackState(), QMediaPlayer::PausedState);
        s.w().preview_pane->position_slider()->setValue(3000);
        QTRY_VERIFY(s.player()->position() >= 2500);
    }

    void aCarvedPdfShowsItsFirstPage() {
        FileScreen s({"PDF"});
        s.list("GEN00001.PDF", carved(pdf_with_black_square(s.home)));
        s.click_row(0);
        QVERIFY(s.shown(Outlet::QuickLook_View));
        QVERIFY(!s.shown(Outlet::mMovieView));
        const QImage page = s.picture();
        QVERIFY(!page.isNull());
        QVERIFY(page.width() <= 200 && page.height() <= 200);
        // A quarter of the first page is black: a blank or an icon has far less.
        QVERIFY2(dark_pixels(page) > page.width() * page.height() / 6, "the first page is not drawn");
    }

    void brokenGoneAndUnknownFilesFallBackToAPicture() {
        FileScreen s({"MP4", "JPG", "TXT", "ZQX"});
        // Without GStreamer's plugins a movie's preview names the packages that bring them.
        const std::string no_plugins = s.home / "no-plugins";
        ::setenv("GST_PLUGIN_SYSTEM_PATH_1_0", no_plugins.c_str(), 1);
        s.list("GEN00001.MP4", carved(std::string("\0\0\0\x20" "ftypisom", 12) + std::string(600, '\x01')));
        s.list("GEN00001.JPG", carved(std::string("\xFF\xD8\xFF\xE0", 4) + std::string(3000, '\x07')));
        s.list("GEN00001.TXT", carved("first line of the note\nsecond line\n"));
        const std::string gone = s.list("GEN00001.ZQX", "x");
        std::remove(gone.c_str());
        for (int row = 0; row < 4; ++row) {
            s.click_row(row);
            const QLabel* note = s.w().preview_note;
            QCOMPARE(note->isVisible(), row == 0);
            if (row == 0) QVERIFY2(note->text().contains(QStringLiteral("gstreamer1.0-libav")), qPrintable(note->text()));
            ::unsetenv("GST_PLUGIN_SYSTEM_PATH_1_0");
            QVERIFY2(s.shown(Outlet::QuickLook_View), qPrintable(QStringLiteral("row %1").arg(row)));
            QVERIFY2(!s.picture().isNull(), qPrintable(QStringLiteral("row %1 shows nothing").arg(row)));
            QCOMPARE(s.player()->playbackState(), QMediaPlayer::StoppedState);
            QVERIFY(!s.w().preview_pane->sheet_shown());
        }
        s.click_row(2);  // the text's own lines, not an icon
        s.click_row(2);
        QVERIFY(dark_pixels(s.picture()) > 0);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    StartUp startUp;
    DeviceScreen deviceScreen;
    RangeScreen rangeScreen;
    Sliders sliders;
    ExitHelpSupport exitHelpSupport;
    Results results;
    Journeys journeys;
    Keyboard keyboard;
    ListAndSummary listAndSummary;
    Preview preview;
    return salvex::test::run_test_groups(argc, argv, {&startUp, &deviceScreen, &rangeScreen, &sliders, &exitHelpSupport,
                                                      &results, &journeys, &keyboard, &listAndSummary, &preview});
}

#include "window_test.moc"
