// What the user does to the items of either browser: remove them or reorder them
// by drag. Both browsers share the one item list, so both go through here.
#include <algorithm>
#include <iterator>

#include "app/my_table_controller.h"

namespace {

// Index sets arrive from views: keep them ascending, unique and inside the list.
std::vector<std::size_t> usable(std::vector<std::size_t> indexes, std::size_t size) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    indexes.erase(std::lower_bound(indexes.begin(), indexes.end(), size), indexes.end());
    return indexes;
}

// The file list's preview remembers the index it showed; after an edit another
// file may stand there, and selecting it must preview it.
void forget_previewed_index(salvex::Outlet browser, std::uint64_t& previewed) {
    if (browser == salvex::Outlet::imageBrowser_2) previewed = MyTableController::kNotFound;
}

}  // namespace

void MyTableController::imageBrowser_removeItemsAtIndexes(salvex::Outlet browser, std::vector<std::size_t> indexes) {
    const auto doomed = usable(std::move(indexes), images.size());
    for (auto i = doomed.rbegin(); i != doomed.rend(); ++i)
        images.erase(images.begin() + static_cast<std::ptrdiff_t>(*i));
    forget_previewed_index(browser, Prev_Index);
    view_.reload(browser);
}

bool MyTableController::imageBrowser_moveItemsAtIndexes(salvex::Outlet browser, std::vector<std::size_t> indexes,
                                                        std::size_t destination) {
    const auto moving = usable(std::move(indexes), images.size());
    const auto below = static_cast<std::size_t>(
        std::lower_bound(moving.begin(), moving.end(), destination) - moving.begin());

    std::vector<MyImageObject> block;
    block.reserve(moving.size());
    for (const std::size_t i : moving) block.push_back(std::move(images[i]));
    for (auto i = moving.rbegin(); i != moving.rend(); ++i)
        images.erase(images.begin() + static_cast<std::ptrdiff_t>(*i));

    const std::size_t at = std::min(destination - below, images.size());
    images.insert(images.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(block.begin()),
                  std::make_move_iterator(block.end()));
    forget_previewed_index(browser, Prev_Index);
    view_.reload(browser);
    return true;
}
