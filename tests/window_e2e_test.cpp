// Searches through the real window, offscreen, chosen with clicks only, against
// salvex-scan with the same choices: the sample card in photo mode (both passes,
// a sector range, a stop) and the modes card in video and audio mode give the
// same result tree byte for byte, and the cards stay unchanged.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "app/bundle_info.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "devices/volume_source.h"
#include "engine/output_naming.h"
#include "support/faulty_source.h"
#include "support/modes_card.h"
#include "support/shell.h"
#include "support/temp_folder.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

using salvex::ScanOutcome;
using salvex::kPhotoMode;
using salvex::kVideoMode;

using salvex::Outlet;
namespace fs = std::filesystem;
using namespace salvex::test;
using salvex::test::modes::Mode;

namespace {

const fs::path kBin = SALVEX_BIN_DIR;
const fs::path kCard = fs::path(SALVEX_SAMPLE_DIR) / "sample-card.img";
const fs::path kResults = "Salvex Birch Recovery Results";

// No drive of the test machine may join the list: only the card image is there.
class NoVolumes : public salvex::VolumeSource {
public:
    std::vector<std::string> mounted_paths(bool) override { return {}; }
    std::optional<salvex::VolumeInfo> query(const std::string&) override { return std::nullopt; }
};

// The files found; the report, which holds the time of the search, is not one.
std::map<std::string, std::string> found(const fs::path& folder) {
    auto files = salvex::test::tree(folder);
    files.erase("report.xml");
    return files;
}

// The Birch window as built, the card image listed and selected, searching in
// the mode chosen by its radio into home/window.
struct ScanWindow {
    explicit ScanWindow(const fs::path& image = kCard, Outlet mode = Outlet::rec_mode_Photo) : card(image) {
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        c = std::make_unique<MyTableController>(view, salvex::bundle_at((kBin / "Salvex Birch Recovery.app").string()));
        c->volume_source = std::make_unique<NoVolumes>();
        view.attach(*c);
        view.alert_answerer = [this](const salvex::AlertRequest& request) {
            alerts << QString::fromStdString(request.message);
            return 0;
        };
        view.modal_runner = [this](QDialog& dialog) {
            if (dialog.objectName() == QLatin1String("SaveFile_Info_Window")) ++end_notices;
        };
        view.folder_chooser = [this](const std::string&) { return std::optional<std::string>(dest); };
        view.url_opener = [](const QUrl&) { return true; };
        view.quitter = [] {};
        c->awakeFromNib();
        w().resize(1200, 760);
        w().show();
        click(mode);
        listed = view.add_disk_image_path(card.string());
    }
    ~ScanWindow() {
        c->stop_now = 1;
        c->join_scan_threads();
        c.reset();
        Recovery_MODE = kPhotoMode;
        ::unsetenv("XDG_DATA_HOME");
    }
    salvex::gui::MainWindow& w() { return view.window(); }
    template <class W>
    W* at(Outlet o) {
        return w().as<W>(o);
    }
    void click(Outlet o) { QTest::mouseClick(at<QAbstractButton>(o), Qt::LeftButton); }
    void to_range_screen() {
        click(Outlet::next_btn);
        click(Recovery_MODE == kPhotoMode ? Outlet::browse_path : Outlet::browse_path_Sig);
    }
    bool finished(int ms = 300000) {
        return QTest::qWaitFor([this] { return !c->scan_thread_running() && at<QPushButton>(Outlet::back_btn)->isEnabled(); },
                               ms);
    }
    fs::path search() const { return fs::path(dest) / kResults / salvex::mode_folder(Recovery_MODE); }
    // salvex-scan over the same card into home/<into>, in the window's mode; its output.
    Ran scan_by_cli(const std::string& options, const std::string& into = "by-salvex-scan") {
        const Ran ran = salvex::test::salvex_scan(home.path(), "--source " + quote(card.string()) + " --dest " + quote(home / into) + " --mode " +
                                                     (Recovery_MODE == kPhotoMode ? "photo" : Recovery_MODE == kVideoMode ? "video" : "audio") +
                                                     " " + options);
        if (ran.status != 0) qWarning("salvex-scan: %s", ran.output.c_str());
        said = ran.output;
        return ran;
    }
    // Both result trees but the reports, byte for byte.
    void same_as_salvex_scan(const std::string& options) {
        QVERIFY(scan_by_cli(options).status == 0);
        const Ran diff = run("diff -r -x report.xml " + quote(home / "by-salvex-scan") + " " + quote(dest));
        QVERIFY2(diff.status == 0, diff.output.c_str());
    }

    TempFolder home;
    fs::path card;
    std::string dest = home / "window";
    salvex::gui::QtView view;
    std::unique_ptr<MyTableController> c;
    QStringList alerts;
    int end_notices = 0;
    bool listed = false;
    std::string said;  // by the last salvex-scan
};

class WindowScan : public QObject {
    Q_OBJECT
    std::string card_hash_;

private slots:
    void initTestCase() { card_hash_ = sha256(kCard); }
    void cleanupTestCase() { QCOMPARE(sha256(kCard), card_hash_); }

    void bothPassesGiveSalvexScansTree() {
        ScanWindow win;
        QVERIFY(win.listed);
        win.to_range_screen();
        QVERIFY(win.at<QAbstractButton>(Outlet::Thro_Mode_Chk)->isChecked());
        win.click(Outlet::next_btn);
        QVERIFY(win.finished());
        QCOMPARE(win.c->scan_outcome.load(), ScanOutcome::Completed);
        QVERIFY(found(win.search()).size() > 10);
        win.same_as_salvex_scan("");
    }

    void sectorRangeGivesSalvexScansTree() {
        ScanWindow win;
        win.to_range_screen();
        win.click(Outlet::sector_range_rd);
        for (const auto& [field, value] : {std::pair{Outlet::Start_slider_val, "20000"}, {Outlet::End_slider_val, "90000"}}) {
            auto* edit = win.at<QLineEdit>(field);
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClicks(edit, QString::fromLatin1(value));
        }
        win.click(Outlet::next_btn);
        QVERIFY2(win.alerts.isEmpty(), qPrintable(win.alerts.join(QLatin1Char('|'))));
        QVERIFY(win.finished());
        const auto by_window = found(win.search());
        QVERIFY(!by_window.empty());
        win.same_as_salvex_scan("--range 20000:90000");
        win.scan_by_cli("", "whole");
        QVERIFY(by_window.size() < found(win.home / "whole" / kResults / "Photo Search").size());
    }

    // Stopped while the card is half read: what was found until then is kept,
    // each file as the whole search makes it, apart from the one cut by the stop.
    void stopInTheMiddleKeepsWhatWasFound() {
        ScanWindow win;
        FaultySource card;
        card.pause_at(8192);  // among the photos, which lie in the card's first 20,000 sectors
        win.c->source_opener = card.wrap(win.c->source_opener);
        win.to_range_screen();
        win.click(Outlet::next_btn);
        QVERIFY2(QTest::qWaitFor([&] { return card.paused(); }, 60000), qPrintable(win.alerts.join(QLatin1Char('|'))));
        win.click(Outlet::stop_scan);
        QCOMPARE(win.alerts.size(), 1);
        card.release();
        QVERIFY(win.finished());
        QCOMPARE(win.c->scan_outcome.load(), ScanOutcome::Stopped);

        const auto stopped = found(win.search());
        win.scan_by_cli("");
        const auto whole = found(win.home / "by-salvex-scan" / kResults / "Photo Search");
        QVERIFY(!stopped.empty());
        QVERIFY(stopped.size() < whole.size());
        int cut = 0;
        for (const auto& [name, bytes] : stopped) {
            const auto full = whole.find(name);
            QVERIFY2(full != whole.end(), name.c_str());
            QVERIFY2(full->second.starts_with(bytes), name.c_str());
            cut += bytes != full->second ? 1 : 0;
        }
        QVERIFY(cut <= 1);
    }

    // The modes card, through the file-type screen; the summary holds what
    // salvex-scan counted per type, both passes together.
    void videoAndAudioSearchesGiveSalvexScansTree_data() {
        QTest::addColumn<int>("radio");
        QTest::newRow("video") << int(Outlet::rec_mode_Video);
        QTest::newRow("audio") << int(Outlet::rec_mode_Audio);
    }
    void videoAndAudioSearchesGiveSalvexScansTree() {
        QFETCH(int, radio);
        if (run("command -v mkfs.vfat mcopy ffmpeg || PATH=$PATH:/sbin:/usr/sbin command -v mkfs.vfat").status != 0)
            QSKIP("mkfs.vfat, mtools or ffmpeg is not installed (Debian packages dosfstools, mtools, ffmpeg)");
        ScanWindow win(salvex::test::modes::modes_card(SALVEX_MODES_MEDIA_DIR).image, static_cast<Outlet>(radio));
        QVERIFY(win.listed);
        win.to_range_screen();
        win.click(Outlet::next_btn);
        QVERIFY(win.at<QWidget>(Outlet::idCheckTableView)->isVisible());
        win.click(Outlet::next_btn);
        QVERIFY(win.finished());
        win.c->join_scan_threads();
        QCOMPARE(win.end_notices, 1);
        QVERIFY2(win.alerts.isEmpty(), qPrintable(win.alerts.join(QLatin1Char('|'))));
        win.same_as_salvex_scan("");

        std::map<std::string, std::size_t> counted;
        std::istringstream lines(win.said);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream row(line);
            std::string type;
            std::size_t n = 0;
            if (line.rfind("  ", 0) == 0 && row >> type >> n) counted[type] += n;
        }
        QVERIFY(!counted.empty());
        std::map<std::string, std::size_t> summary;
        for (const auto& row : win.c->nsSIGFileInfoDataObject)
            if (const auto n = std::stoull(row.at("NoOfFile")); n > 0) summary[row.at("FileTypes_Hidden")] = n;
        QCOMPARE(summary, counted);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    WindowScan scans;
    return QTest::qExec(&scans, argc, argv);
}

#include "window_e2e_test.moc"
