// Carved photos reach the thumbnail browser here, on the interface thread.
#include <filesystem>

#include "app/my_table_controller.h"
#include "app/text_helpers.h"

void MyTableController::addImageWithPath(const std::string& path, const std::string& name, const std::string& uid) {
    const auto admitted = preview_admits(path);
    if (!admitted) return;
    const std::string& trimmed = *admitted;

    MyImageObject item;
    item.image_Name = name;
    item.image_UID = uid;
    item.path = trimmed;
    images.push_back(std::move(item));
    view_.reload(salvex::Outlet::imageBrowser);
    if (++Preview_Image_Count % 6 == 0) view_.scroll_to_end(salvex::Outlet::imageBrowser);
    // The item is listed and counted at once; should the photo not decode, it turns
    // into the no-preview picture when the answer comes.
    view_.check_image_decodes(trimmed, [this, uid, trimmed](bool decodes) {
        if (!decodes) show_no_preview(uid, trimmed);
    });
}

void MyTableController::show_no_preview(const std::string& uid, const std::string& path) {
    // Usually the newest item; gone when the list was cleared or the user removed it.
    for (auto item = images.rbegin(); item != images.rend(); ++item) {
        if (item->image_UID != uid || item->path != path) continue;
        item->imageData = Null_Image_Data;
        item->path = noprevfile;
        view_.reload(salvex::Outlet::imageBrowser);
        return;
    }
}

std::optional<std::string> MyTableController::preview_admits(const std::string& path) {
    if (images.size() >= PREVIEW_CLEAR_LIMIT) {
        ++Preview_Image_Count;  // counted towards the next clearing, not shown
        return std::nullopt;
    }
    if (Preview_Image_Count >= PREVIEW_CLEAR_LIMIT) return std::nullopt;
    std::string trimmed = Trim_Str(path);
    if (trimmed.empty()) return std::nullopt;
    return trimmed;
}
