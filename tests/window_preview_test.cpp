// The file-type search screen of the real window, offscreen: the file list and
// its summary, the preview of carved files, whole, cut short or gone, and whole
// searches through the window against salvex-scan.
// Run one group by naming it: window_preview_tests Preview.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMediaPlayer>
#include <QPainter>
#include <QPdfWriter>
#include <QHeaderView>
#include <QSlider>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QTest>
#include <QVideoWidget>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "app/globals.h"
#include "app/my_table_controller.h"
#include "support/bundle_maker.h"
#include "support/modes_card.h"
#include "support/shell.h"
#include "support/temp_folder.h"
#include "support/test_groups.h"
#include "wizard/qt/disk_image.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/preview_pane.h"
#include "wizard/qt/qt_view.h"

using salvex::kPhotoMode;
using salvex::kVideoMode;

using salvex::Outlet;
using salvex::gui::QtView;

namespace {

// The file-type search screen of a video-mode window, its summary holding the given types.
struct Screen {
    explicit Screen(const std::vector<std::string>& types) {
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        c = std::make_unique<MyTableController>(
            view, salvex::bundle_at(salvex::test::make_bundle(home, "Salvex Birch Recovery", {})));
        view.attach(*c);
        view.modal_runner = [this](QDialog& dialog) { windows.push_back(dialog.objectName()); };
        view.alert_answerer = [](const salvex::AlertRequest&) { return 0; };
        c->awakeFromNib();
        Recovery_MODE = kVideoMode;
        for (const auto& t : types) c->createSignatureListTableRecord(t, 0, "", "", t);
        c->show_hide_1_screen(true);
        c->show_hide_4_screen_RawFile(false);
        view.window().resize(1200, 760);
        view.window().show();
    }
    ~Screen() {
        c.reset();
        Recovery_MODE = kPhotoMode;
        ::unsetenv("XDG_DATA_HOME");
    }
    // Lists a file the way the engine hands one over.
    std::string list(const std::string& name, const std::string& bytes) {
        const std::string path = home.write("out/" + name, bytes);
        c->addImageWithPath_2(path, name, name);
        return path;
    }
    void click_row(int row) {
        auto* files = view.window().as<QAbstractItemView>(Outlet::imageBrowser_2);
        const QModelIndex index = files->model()->index(row, 0);
        files->scrollTo(index);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(index).center());
        QTest::qWait(0);  // the selection reaches the controller queued
        QCoreApplication::processEvents();
    }
    QMediaPlayer* player() { return view.window().preview_pane->player(); }
    QImage picture() { return view.window().as<QLabel>(Outlet::QuickLook_View)->pixmap().toImage(); }
    bool shown(Outlet o) { return view.window().outlet(o)->isVisibleTo(&view.window()); }

    salvex::test::TempFolder home;
    QtView view;
    std::unique_ptr<MyTableController> c;
    QStringList windows;
};

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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
    return read_all(path.toStdString());
}

}  // namespace

// The file list and the per-type summary of the real table.
class ListAndSummary : public QObject {
    Q_OBJECT
private slots:
    void countsFollowExactExtensionsAndAFullListTakesNoMore() {
        Screen s({"MP4", "mov"});
        s.list("GEN00001.MP4", "a");
        s.list("GEN00002.MP4", "b");
        s.list("GEN00001.MOV", "c");
        const auto* summary = s.view.window().as<QTableView>(Outlet::idSigTableView)->model();
        QCOMPARE(summary->rowCount(), 2);
        QCOMPARE(summary->index(0, 1).data().toString(), QStringLiteral("2"));
        QCOMPARE(summary->index(0, 2).data().toString(), QStringLiteral("GEN00002.MP4"));
        QCOMPARE(summary->index(1, 1).data().toString(), QStringLiteral("0"));
        auto* files = s.view.window().as<QAbstractItemView>(Outlet::imageBrowser_2);
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
        QCOMPARE(s.view.window().as<QGroupBox>(Outlet::QuickLook_View_Box)->title(), QStringLiteral("THD00001.MP4"));
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
        Screen s({"MP4"});
        const std::string made = s.home / "made.mp4";
        const auto ran = salvex::test::run(
            "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc=duration=4:size=320x240:rate=25 "
            "-c:v libx264 -pix_fmt yuv420p '" + made + "'");
        QVERIFY2(ran.status == 0, ran.output.c_str());
        s.list("GEN00001.MP4", carved(read_all(made)));
        s.click_row(0);
        if (s.player()->error() != QMediaPlayer::NoError &&
            s.player()->mediaStatus() == QMediaPlayer::InvalidMedia)
            QSKIP(qPrintable("no Qt Multimedia backend here can play H.264 MP4: " + s.player()->errorString()));
        QVERIFY(s.shown(Outlet::mMovieView));
        QVERIFY(!s.shown(Outlet::QuickLook_View));
        QCOMPARE(s.view.window().as<QGroupBox>(Outlet::QuickLook_View_Box)->title(), QStringLiteral("GEN00001.MP4"));
        QTRY_COMPARE(s.player()->playbackState(), QMediaPlayer::PlayingState);
        QTRY_VERIFY(s.player()->position() > 0);
        const qint64 first = s.player()->position();
        QTRY_VERIFY(s.player()->position() > first);
        QVERIFY(!s.view.window().preview_pane->sheet_shown());

        // Play/pause and the position slider under the movie.
        auto* play = s.view.window().preview_pane->play_button();
        QVERIFY(play->isVisible() && s.view.window().preview_pane->position_slider()->isVisible());
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(s.player()->playbackState(), QMediaPlayer::PausedState);
        s.view.window().preview_pane->position_slider()->setValue(3000);
        QTRY_VERIFY(s.player()->position() >= 2500);

        // Clicking the item being shown again starts nothing new; coming back to it does.
        s.list("GEN00002.MP4", "not a movie");
        s.click_row(0);
        QCOMPARE(s.player()->playbackState(), QMediaPlayer::PausedState);
        s.click_row(1);
        QCOMPARE(s.player()->playbackState(), QMediaPlayer::StoppedState);
        s.click_row(0);
        QTRY_COMPARE(s.player()->playbackState(), QMediaPlayer::PlayingState);
    }

    void aCarvedPdfShowsItsFirstPage() {
        Screen s({"PDF"});
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
        Screen s({"MP4", "JPG", "TXT", "ZQX"});
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
            const QLabel* note = s.view.window().preview_note;
            QCOMPARE(note->isVisible(), row == 0);
            if (row == 0) QVERIFY2(note->text().contains(QStringLiteral("gstreamer1.0-libav")), qPrintable(note->text()));
            ::unsetenv("GST_PLUGIN_SYSTEM_PATH_1_0");
            QVERIFY2(s.shown(Outlet::QuickLook_View), qPrintable(QStringLiteral("row %1").arg(row)));
            QVERIFY2(!s.picture().isNull(), qPrintable(QStringLiteral("row %1 shows nothing").arg(row)));
            QCOMPARE(s.player()->playbackState(), QMediaPlayer::StoppedState);
            QVERIFY(!s.view.window().preview_pane->sheet_shown());
        }
        s.click_row(2);  // the text's own lines, not an icon
        s.click_row(2);
        QVERIFY(dark_pixels(s.picture()) > 0);
    }

    void aScanEndingDuringThePreviewShowsItsFinalScreenAfterIt() {
        Screen s({"TXT"});
        s.list("GEN00001.TXT", "note");
        s.c->stop_now = 1;  // what the scan thread leaves when the sheet was up
        s.click_row(0);
        QCoreApplication::processEvents();
        QVERIFY(s.windows.isEmpty());
        QTRY_COMPARE(s.windows.size(), 1);
        QCOMPARE(s.c->stop_now.load(), 0);
        QVERIFY(s.view.window().as<QWidget>(Outlet::back_btn)->isEnabled());
    }
};

// Video and audio searches of the modes card through the window, chosen with
// clicks alone, against salvex-scan with the same choices.
class EndToEnd : public QObject {
    Q_OBJECT
private slots:
    void videoSearchMatchesSalvexScan() { same_as_salvex_scan(salvex::test::modes::Mode::Video, Outlet::rec_mode_Video); }
    void audioSearchMatchesSalvexScan() { same_as_salvex_scan(salvex::test::modes::Mode::Audio, Outlet::rec_mode_Audio); }

private:
    void same_as_salvex_scan(salvex::test::modes::Mode mode, Outlet radio) {
        namespace fs = std::filesystem;
        using salvex::test::quote;
        if (salvex::test::run("command -v mkfs.vfat mcopy ffmpeg || PATH=$PATH:/sbin:/usr/sbin command -v mkfs.vfat").status != 0)
            QSKIP("mkfs.vfat, mtools or ffmpeg is not installed (Debian packages dosfstools, mtools, ffmpeg)");
        const fs::path image = salvex::test::modes::modes_card(SALVEX_MODES_MEDIA_DIR).image;
        const fs::path bundle = fs::path(SALVEX_BIN_DIR) / "Salvex Birch Recovery.app";
        salvex::test::TempFolder home;
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);

        // The terminal's search.
        const std::string by_scan = home / "scan";
        const auto scanned = salvex::test::run("XDG_DATA_HOME=" + quote(home / "data") + " " +
                                               quote((fs::path(SALVEX_BIN_DIR) / "salvex-scan").string()) + " --source " +
                                               quote(image.string()) + " --dest " + quote(by_scan) + " --mode " +
                                               salvex::test::modes::option_of(mode) + " </dev/null");
        QVERIFY2(scanned.status == 0, scanned.output.c_str());

        // The window's, with clicks.
        const std::string by_window = home / "window";
        fs::create_directories(by_window);
        QtView view;
        MyTableController c(view, salvex::bundle_at(bundle.string()));
        view.attach(c);
        int end_notices = 0;
        view.modal_runner = [&](QDialog& dialog) {
            if (dialog.objectName() == QLatin1String("SaveFile_Info_Window")) ++end_notices;
        };
        view.alert_answerer = [](const salvex::AlertRequest& request) {
            qWarning("unexpected alert: %s", request.message.c_str());
            return 0;
        };
        view.folder_chooser = [&](const std::string&) { return std::optional<std::string>(by_window); };
        c.awakeFromNib();
        auto& w = view.window();
        w.resize(1200, 760);
        w.show();
        const auto record = salvex::gui::disk_image_record(image.string());
        QVERIFY(record.has_value());
        c.addRow(*record);  // as Add Disk Image... does once a file is chosen
        const auto click = [&](Outlet o) { QTest::mouseClick(w.as<QAbstractButton>(o), Qt::LeftButton); };
        click(radio);
        auto* drives = w.as<QTableView>(Outlet::idTableView);
        const int last = drives->model()->rowCount() - 1;
        QTest::mouseClick(drives->viewport(), Qt::LeftButton, {}, drives->visualRect(drives->model()->index(last, 1)).center());
        click(Outlet::next_btn);
        click(Outlet::browse_path_Sig);
        click(Outlet::next_btn);
        QVERIFY(w.as<QWidget>(Outlet::idCheckTableView)->isVisible());
        click(Outlet::next_btn);
        QTRY_VERIFY_WITH_TIMEOUT(w.as<QWidget>(Outlet::back_btn)->isEnabled(), 300000);
        c.join_scan_threads();
        QCOMPARE(end_notices, 1);

        // The reports differ in the time of each search only.
        const auto diff = salvex::test::run("diff -r -x report.xml " + quote(by_scan) + " " + quote(by_window));
        QVERIFY2(diff.status == 0, diff.output.c_str());

        // Its summary holds what salvex-scan counted per type, both passes together.
        std::map<std::string, std::size_t> counted;
        std::istringstream lines(scanned.output);
        for (std::string line; std::getline(lines, line);) {
            std::istringstream row(line);
            std::string type;
            std::size_t n = 0;
            if (line.rfind("  ", 0) == 0 && row >> type >> n) counted[type] += n;
        }
        QVERIFY(!counted.empty());
        std::map<std::string, std::size_t> summary;
        for (const auto& row : c.nsSIGFileInfoDataObject)
            if (const auto n = std::stoull(row.at("NoOfFile")); n > 0) summary[row.at("FileTypes_Hidden")] = n;
        QCOMPARE(summary, counted);
        ::unsetenv("XDG_DATA_HOME");
        Recovery_MODE = kPhotoMode;
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ListAndSummary listAndSummary;
    Preview preview;
    EndToEnd endToEnd;
    return salvex::test::run_test_groups(argc, argv, {&listAndSummary, &preview, &endToEnd});
}

#include "window_preview_test.moc"
