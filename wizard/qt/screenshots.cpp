// Walks the real window offscreen through a recovery of the sample card and
// saves a picture of each screen and window, for people to look at.
//   salvex_screenshots --bundle <edition .app> --sample <card image> --guide <help.md> --out <folder>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QVideoFrame>
#include <QVideoSink>
#include <QVideoWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <unistd.h>

#include "app/bundle_info.h"
#include "app/my_table_controller.h"
#include "results/qt/qt_text.h"
#include "results/qt/thumbnail_cache.h"
#include "wizard/qt/dialogs.h"
#include "wizard/qt/disk_image.h"
#include "wizard/qt/help_document.h"
#include "wizard/qt/main_window.h"
#include "wizard/qt/qt_view.h"

using salvex::Outlet;

namespace {

QString out_folder;
int failures = 0;

void save(QWidget& widget, const char* name) {
    QApplication::processEvents();
    const QString file = out_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(file));
}

// The movie draws into a window of its own, which a widget's picture leaves out:
// its current frame is painted where it shows.
void save_with_movie(salvex::gui::MainWindow& window, const char* name) {
    QApplication::processEvents();
    auto* video = window.as<QVideoWidget>(Outlet::mMovieView);
    QPixmap picture = window.grab();
    const QImage frame = video->videoSink()->videoFrame().toImage();
    if (!frame.isNull() && video->isVisible()) {
        QPainter painter(&picture);
        const QRect area(video->mapTo(&window, QPoint(0, 0)), video->size());
        painter.fillRect(area, Qt::black);
        const QSize size = frame.size().scaled(area.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size), frame);
    } else {
        std::fprintf(stderr, "no movie frame to show in %s\n", name);
        ++failures;
    }
    const QString file = out_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (picture.save(file)) std::printf("%s\n", qPrintable(file));
    else ++failures;
}

// Shows a modal window long enough to take its picture, then closes it as its own button would.
void picture_of_dialog(QDialog& dialog, const char* name) {
    dialog.show();
    QApplication::processEvents();
    save(dialog, name);
    dialog.accept();
}

bool pump_until(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// The sample card is small: read slowly, so that a picture of the search in progress can be taken.
// The media card is smaller still: it is read in small pieces.
useconds_t read_pause = 150000;
size_t read_piece = SIZE_MAX;
ssize_t slow_read(void* cookie, char* buffer, size_t size) {
    ::usleep(read_pause);
    return static_cast<ssize_t>(std::fread(buffer, 1, std::min(size, read_piece), static_cast<std::FILE*>(cookie)));
}
int slow_seek(void* cookie, off64_t* offset, int whence) {
    auto* f = static_cast<std::FILE*>(cookie);
    if (::fseeko(f, *offset, whence) != 0) return -1;
    *offset = ::ftello(f);
    return 0;
}
int slow_close(void* cookie) { return std::fclose(static_cast<std::FILE*>(cookie)); }

std::FILE* open_slowly(const std::string& path, char* buffer, std::size_t size) {
    std::FILE* real = std::fopen(path.c_str(), "rb");
    if (real == nullptr) return nullptr;
    std::setvbuf(real, nullptr, _IONBF, 0);
    std::FILE* slow = ::fopencookie(real, "rb", {slow_read, nullptr, slow_seek, slow_close});
    if (slow != nullptr) std::setvbuf(slow, buffer, _IOFBF, size);
    return slow;
}

// A card for the file-type search screens: two short H.264 movies and a PDF, one
// after the other from sector 0, then empty space. The first movie is listed as
// soon as the second begins, while the search goes on.
QString make_media_card(const QString& folder) {
    QDir().mkpath(folder);
    const QString movie = folder + QStringLiteral("/clip.mp4"), pdf = folder + QStringLiteral("/letter.pdf");
    const QString card = folder + QStringLiteral("/media-card.img");
    const QString encode = QStringLiteral(
                               "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
                               "testsrc=duration=20:size=320x240:rate=25 -c:v libx264 -pix_fmt yuv420p '%1'")
                               .arg(movie);
    if (std::system(encode.toLocal8Bit().constData()) != 0) return {};
    {
        QPdfWriter writer(pdf);
        QPainter painter(&writer);
        QFont font = painter.font();
        font.setPointSize(28);
        painter.setFont(font);
        painter.drawText(QRect(0, 0, writer.width(), writer.height() / 6), Qt::AlignCenter, QStringLiteral("Holiday letter"));
        painter.fillRect(QRect(writer.width() / 8, writer.height() / 5, writer.width() * 3 / 4, writer.height() / 3),
                         QColor(40, 110, 170));
        font.setPointSize(12);
        painter.setFont(font);
        painter.drawText(QRect(writer.width() / 8, writer.height() * 3 / 5, writer.width() * 3 / 4, writer.height() / 3),
                         Qt::TextWordWrap, QStringLiteral("Dear all, the pictures from the coast are on the card."));
    }
    QFile out(card);
    if (!out.open(QIODevice::WriteOnly)) return {};
    for (const QString& part : {movie, movie, pdf}) {
        QFile in(part);
        if (!in.open(QIODevice::ReadOnly)) return {};
        QByteArray bytes = in.readAll();
        bytes.append(QByteArray((512 - bytes.size() % 512) % 512, '\0'));
        out.write(bytes);
    }
    out.write(QByteArray(6 * 1024 * 1024, '\0'));
    return card;
}

// Selects a row of the file list as a click would, and lets the preview settle.
void select_file(salvex::gui::MainWindow& window, int row, int settle_ms) {
    auto* files = window.as<QAbstractItemView>(Outlet::imageBrowser_2);
    files->setCurrentIndex(files->model()->index(row, 0));
    pump_until([] { return false; }, settle_ms);
}

const char* option(int argc, char** argv, const char* name) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    const char* bundle = option(argc, argv, "--bundle");
    const char* sample = option(argc, argv, "--sample");
    const char* guide = option(argc, argv, "--guide");
    const char* out = option(argc, argv, "--out");
    if (bundle == nullptr || sample == nullptr || guide == nullptr || out == nullptr) {
        std::fprintf(stderr, "usage: %s --bundle <edition .app> --sample <card image> --guide <help.md> --out <folder>\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    out_folder = QDir(QString::fromLocal8Bit(out)).absolutePath();
    QDir().mkpath(out_folder);
    const QString results = out_folder + QStringLiteral("/recovered");
    QDir(results).removeRecursively();
    QDir().mkpath(results);
    // The per-user folder the controller makes goes here, not into the real home.
    qputenv("XDG_DATA_HOME", (out_folder + QStringLiteral("/data")).toLocal8Bit());

    salvex::gui::QtView view;
    MyTableController controller(view, salvex::bundle_at(bundle));
    controller.source_opener = open_slowly;
    view.attach(controller);
    salvex::gui::MainWindow& window = view.window();
    view.url_opener = [](const QUrl&) { return true; };
    view.quitter = [] {};
    QString destination = results;
    view.folder_chooser = [&](const std::string&) { return std::optional<std::string>(destination.toStdString()); };
    // Each end-of-search notice is pictured under the name of the search it ends.
    const char* notice = "07-end-of-search-notice";
    view.modal_runner = [&notice](QDialog& dialog) {
        if (dialog.objectName() == QLatin1String("BrowseInfo_Window")) picture_of_dialog(dialog, "03-browse-info");
        else if (dialog.objectName() == QLatin1String("SaveFile_Info_Window")) picture_of_dialog(dialog, notice);
        else if (dialog.objectName() == QLatin1String("About_Window")) picture_of_dialog(dialog, "10-about");
        else if (dialog.objectName() == QLatin1String("HelpWindow")) picture_of_dialog(dialog, "11-contact-us");
        else picture_of_dialog(dialog, "99-unexpected-window");
    };
    controller.awakeFromNib();
    window.resize(1200, 760);
    window.show();

    const auto record = salvex::gui::disk_image_record(sample);
    if (!record) {
        std::fprintf(stderr, "cannot read the sample card %s\n", sample);
        return 1;
    }
    // Added once, the card images stay listed through every Back.
    view.add_disk_image_path(sample);
    auto* table = window.as<QTableView>(Outlet::idTableView);
    const auto select_card = [&](const std::string& path) {
        const auto& rows = controller.nsMutaryOfDataObject;
        for (std::size_t row = 0; row < rows.size(); ++row)
            if (rows[row].nsStrDiskIdentifier == salvex::gui::disk_image_record(path)->nsStrDiskIdentifier)
                table->selectRow(static_cast<int>(row));
    };
    const auto back_to_start = [&] {
        while (controller.screen_counter > 0) window.as<QPushButton>(Outlet::back_btn)->click();
    };
    const auto finished = [&] {
        if (!pump_until([&] { return !controller.scan_thread_running() && window.as<QPushButton>(Outlet::back_btn)->isEnabled(); },
                        60000)) {
            std::fprintf(stderr, "a search did not finish\n");
            ++failures;
        }
    };
    save(window, "01-device-screen");

    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QPushButton>(Outlet::browse_path)->click();
    save(window, "02-range-entire-disk");

    window.as<QRadioButton>(Outlet::sector_range_rd)->click();
    window.as<QSlider>(Outlet::Start_Slider)->setValue(window.as<QSlider>(Outlet::Start_Slider)->maximum() / 8);
    save(window, "04-range-sector-range");
    window.as<QRadioButton>(Outlet::entire_disk_rd)->click();

    window.as<QPushButton>(Outlet::next_btn)->click();
    const bool in_progress = pump_until(
        [&] {
            return controller.images.size() >= 8 && window.as<QProgressBar>(Outlet::Progress_Horz)->value() > 0;
        },
        20000);
    if (!in_progress) std::fprintf(stderr, "the search did not get going\n");
    save(window, "05-photo-search-in-progress");
    // The end-of-search notice is pictured when it shows; the finished screen follows it.
    if (!pump_until([&] { return window.as<QPushButton>(Outlet::back_btn)->isEnabled(); }, 60000)) {
        std::fprintf(stderr, "the search did not finish\n");
        ++failures;
    }
    // The thumbnails wait for a spare processor: as a user would, give them a moment.
    pump_until([&] { return !window.thumbnail_cache->busy(); }, 10000);
    pump_until([] { return false; }, 300);
    save(window, "06-photo-search-finished");

    QFile markdown(QString::fromLocal8Bit(guide));
    if (markdown.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromUtf8(markdown.readAll());
        for (int page = 0; page < 2; ++page) {
            const QString file = out_folder + QStringLiteral("/08-help-guide-page%1.png").arg(page + 1);
            if (salvex::gui::help_page_picture(text, page, 900).save(file)) std::printf("%s\n", qPrintable(file));
            else ++failures;
        }
    }
    window.help_button->click();
    window.about_button->click();
    window.contact_button->click();

    view.alert_answerer = [&](const salvex::AlertRequest& request) {
        const auto box = salvex::gui::make_alert_box(request, &window);
        picture_of_dialog(*box, "12-exit-question");
        return 1;
    };
    window.exit_button->click();
    view.alert_answerer = nullptr;

    // A search stopped half way, then one whose destination refuses the data.
    back_to_start();
    select_card(sample);
    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QPushButton>(Outlet::browse_path)->click();
    window.as<QPushButton>(Outlet::next_btn)->click();
    pump_until([&] { return controller.images.size() >= 3; }, 20000);
    view.alert_answerer = [&](const salvex::AlertRequest& request) {
        const auto box = salvex::gui::make_alert_box(request, &window);
        picture_of_dialog(*box, "07b-stop-question");
        return 0;
    };
    notice = "07c-end-notice-after-stop";
    window.as<QPushButton>(Outlet::stop_scan)->click();
    view.alert_answerer = nullptr;
    finished();
    back_to_start();
    destination = out_folder + QStringLiteral("/refusing");
    QDir().mkpath(destination);
    QFile in_the_way(destination + QStringLiteral("/") + salvex::gui::qs(controller.Rec_Folder_Name));
    if (in_the_way.open(QIODevice::WriteOnly)) in_the_way.write("a file where the result folder goes");
    in_the_way.close();
    select_card(sample);
    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QPushButton>(Outlet::browse_path)->click();
    view.alert_answerer = [&](const salvex::AlertRequest& request) {
        const auto box = salvex::gui::make_alert_box(request, &window);
        picture_of_dialog(*box, "07d-saving-failed");
        return 0;
    };
    notice = "07e-end-notice-after-failure";
    window.as<QPushButton>(Outlet::next_btn)->click();
    finished();
    view.alert_answerer = nullptr;
    destination = results;

    // The other modes: the file-type screen of a video search.
    back_to_start();
    window.as<QRadioButton>(Outlet::rec_mode_Video)->click();
    save(window, "13-device-screen-video-mode");
    select_card(sample);
    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QPushButton>(Outlet::browse_path_Sig)->click();
    window.as<QPushButton>(Outlet::next_btn)->click();
    save(window, "14-file-types");
    back_to_start();

    // The file-type search screen, on a card holding a movie and a PDF.
    const QString media_card = make_media_card(out_folder + QStringLiteral("/media-card"));
    const auto media = media_card.isEmpty() ? std::nullopt : salvex::gui::disk_image_record(media_card.toStdString());
    if (!media) {
        std::fprintf(stderr, "cannot make the media card (ffmpeg with libx264 is needed)\n");
        ++failures;
    } else {
        view.add_disk_image_path(media_card.toStdString());
        const auto search = [&](Outlet mode) {
            back_to_start();
            window.as<QRadioButton>(mode)->click();
            select_card(media_card.toStdString());
            window.as<QPushButton>(Outlet::next_btn)->click();
            window.as<QPushButton>(Outlet::browse_path_Sig)->click();
            window.as<QPushButton>(Outlet::next_btn)->click();
            window.as<QPushButton>(Outlet::next_btn)->click();
        };
        read_pause = 40000;
        read_piece = 128 * 1024;
        search(Outlet::rec_mode_Video);
        if (!pump_until(
                [&] {
                    return !controller.images.empty() && window.as<QProgressBar>(Outlet::Progress_Horz)->value() > 0;
                },
                20000))
            std::fprintf(stderr, "the video search did not get going\n");
        save(window, "15-video-search-in-progress");
        notice = "07f-end-notice-video-search";
        finished();
        select_file(window, 0, 2500);
        save_with_movie(window, "16-video-search-finished-movie-playing");
        notice = "07g-end-notice-file-search";
        search(Outlet::rec_mode_RawFile);
        finished();
        const auto& items = controller.images;
        const auto pdf = std::find_if(items.begin(), items.end(),
                                      [](const MyImageObject& i) { return i.path.ends_with(".PDF") || i.path.ends_with(".pdf"); });
        if (pdf == items.end()) {
            std::fprintf(stderr, "no PDF was listed\n");
            ++failures;
        } else {
            select_file(window, static_cast<int>(pdf - items.begin()), 300);
        }
        save(window, "17-file-search-finished-pdf-preview");
    }

    // Photos again after the other modes, in the same window.
    back_to_start();
    window.as<QRadioButton>(Outlet::rec_mode_Photo)->click();
    select_card(sample);
    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QPushButton>(Outlet::browse_path)->click();
    save(window, "18-photo-options-after-other-searches");
    read_pause = 150000;
    read_piece = SIZE_MAX;
    window.as<QPushButton>(Outlet::next_btn)->click();
    pump_until([&] { return controller.images.size() >= 8 && window.as<QProgressBar>(Outlet::Progress_Horz)->value() > 0; },
               20000);
    save(window, "19-photo-search-after-other-searches");
    notice = "07h-end-notice-photo-search-after-others";
    finished();
    // On a 1024 x 600 screen, less a panel and the title bar.
    back_to_start();
    window.resize(1000, 540);
    save(window, "20-small-screen-device");
    select_card(sample);
    window.as<QPushButton>(Outlet::next_btn)->click();
    window.as<QRadioButton>(Outlet::sector_range_rd)->click();
    save(window, "21-small-screen-sector-range");

    controller.join_scan_threads();
    return failures == 0 ? 0 : 1;
}
