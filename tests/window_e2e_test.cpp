// A recovery of the sample card through the real window, offscreen, chosen with
// clicks only, against salvex-scan with the same choices: the same result tree,
// byte for byte, and the card unchanged.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>

#include "app/bundle_info.h"
#include "app/globals.h"
#include "app/my_table_controller.h"
#include "devices/volume_source.h"
#include "support/faulty_source.h"
#include "support/shell.h"
#include "support/temp_folder.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

using salvex::ScanOutcome;

using salvex::Outlet;
namespace fs = std::filesystem;
using namespace salvex::test;

namespace {

const fs::path kBin = SALVEX_BIN_DIR;
const fs::path kCard = fs::path(SALVEX_SAMPLE_DIR) / "sample-card.img";
const fs::path kSearch = fs::path("Salvex Birch Recovery Results") / "Photo Search";

// No drive of the test machine may join the list: only the card image is there.
class NoVolumes : public salvex::VolumeSource {
public:
    std::vector<std::string> mounted_paths(bool) override { return {}; }
    std::optional<salvex::VolumeInfo> query(const std::string&) override { return std::nullopt; }
};

// The files found; the report, which holds the time of the search, is not one.
std::map<std::string, std::string> tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "report.xml")
            files[fs::relative(entry.path(), folder).string()] = slurp(entry.path());
    return files;
}

QString names(const std::map<std::string, std::string>& files) {
    QStringList out;
    for (const auto& [name, bytes] : files) out << QString::fromStdString(name);
    return out.join(QLatin1Char(' '));
}

std::map<std::string, std::string> salvex_scan(const TempFolder& home, const std::string& options) {
    const fs::path dest = home / "by-salvex-scan";
    const Ran ran = run("XDG_DATA_HOME=" + quote(home / "data") + " " + quote((kBin / "salvex-scan").string()) +
                        " --source " + quote(kCard.string()) + " --dest " + quote(dest.string()) + " " + options +
                        " </dev/null");
    if (ran.status != 0) qWarning("salvex-scan: %s", ran.output.c_str());
    return tree(dest / kSearch);
}

// The Birch window as built, with the card image listed and selected.
struct ScanWindow {
    ScanWindow() {
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        c = std::make_unique<MyTableController>(view, salvex::bundle_at((kBin / "Salvex Birch Recovery.app").string()));
        c->volume_source = std::make_unique<NoVolumes>();
        view.attach(*c);
        view.alert_answerer = [this](const salvex::AlertRequest& request) {
            alerts << QString::fromStdString(request.message);
            return 0;
        };
        view.modal_runner = [](QDialog&) {};
        view.folder_chooser = [this](const std::string&) { return std::optional<std::string>(dest); };
        view.url_opener = [](const QUrl&) { return true; };
        view.quitter = [] {};
        c->awakeFromNib();
        w().resize(1200, 760);
        w().show();
        listed = view.add_disk_image_path(kCard.string());
    }
    ~ScanWindow() {
        c->stop_now = 1;
        c->join_scan_threads();
        c.reset();
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
        click(Outlet::browse_path);
    }
    bool finished(int ms = 120000) {
        return QTest::qWaitFor([this] { return !c->scan_thread_running() && at<QPushButton>(Outlet::back_btn)->isEnabled(); },
                               ms);
    }
    std::map<std::string, std::string> results() { return tree(fs::path(dest) / kSearch); }

    TempFolder home;
    std::string dest = home / "by-window";
    salvex::gui::QtView view;
    std::unique_ptr<MyTableController> c;
    QStringList alerts;
    bool listed = false;
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
        const auto by_window = win.results();
        const auto by_cli = salvex_scan(win.home, "");
        QVERIFY(by_window.size() > 10);
        QCOMPARE(names(by_window), names(by_cli));
        QVERIFY(by_window == by_cli);
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
        const auto by_window = win.results();
        const auto by_cli = salvex_scan(win.home, "--range 20000:90000");
        QVERIFY(!by_window.empty());
        QCOMPARE(names(by_window), names(by_cli));
        QVERIFY(by_window == by_cli);
        QVERIFY(by_window.size() < salvex_scan(win.home, "").size());
    }

    // Stopped while the card is half read: what was found until then is kept,
    // each file as the whole search makes it, apart from the one cut by the stop.
    void stopInTheMiddleKeepsWhatWasFound() {
        ScanWindow win;
        FaultySource card;
        card.pause_at(8192);  // among the photos, which lie in the card's first 20,000 sectors
        win.c->source_opener = card.opener();
        win.to_range_screen();
        win.click(Outlet::next_btn);
        QVERIFY2(QTest::qWaitFor([&] { return card.paused(); }, 60000), qPrintable(win.alerts.join(QLatin1Char('|'))));
        win.click(Outlet::stop_scan);
        QCOMPARE(win.alerts.size(), 1);
        card.release();
        QVERIFY(win.finished());
        QCOMPARE(win.c->scan_outcome.load(), ScanOutcome::Stopped);

        const auto stopped = win.results();
        const auto whole = salvex_scan(win.home, "");
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
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    WindowScan scans;
    return QTest::qExec(&scans, argc, argv);
}

#include "window_e2e_test.moc"
