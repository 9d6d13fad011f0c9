#include "cli/terminal_view.h"

#include <cstdlib>
#include <string>
#include <strings.h>
#include <unistd.h>

#include "app/texts/salvex_scan.h"
#include "app/texts/search.h"
#include "platform/raw_device.h"

namespace salvex {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \n");
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(" \n") - first + 1);
}

}  // namespace

TerminalView::TerminalView(std::FILE* out, std::FILE* in, std::FILE* err) : out_(out), in_(in), err_(err) {}

void TerminalView::set_text(Outlet o, const std::string& text) { controls_[o].text = text; }
std::string TerminalView::text(Outlet o) const {
    const auto it = controls_.find(o);
    return it == controls_.end() ? std::string() : it->second.text;
}
void TerminalView::set_hidden(Outlet o, bool hidden) { controls_[o].hidden = hidden; }
void TerminalView::set_enabled(Outlet o, bool enabled) { controls_[o].enabled = enabled; }
void TerminalView::set_state(Outlet o, bool on) { controls_[o].on = on; }
bool TerminalView::state(Outlet o) const {
    const auto it = controls_.find(o);
    return it != controls_.end() && it->second.on;
}
void TerminalView::set_range(Outlet o, std::uint64_t minimum, std::uint64_t maximum) {
    controls_[o].minimum = minimum;
    controls_[o].maximum = maximum;
}
void TerminalView::set_value(Outlet o, std::uint64_t value) {
    controls_[o].value = value;
    if (o != Outlet::Progress_Horz || !progress_line_ || !::isatty(STDERR_FILENO)) return;
    std::fprintf(stderr, "\r%s\033[K", progress_line_().c_str());
    std::fflush(stderr);
    progress_showing_ = true;
}

void TerminalView::quit_application() {
    finish_progress_line();
    std::fflush(nullptr);
    // Not exit(): a scan thread may still be using what static destructors would free.
    std::_Exit(0);
}

void TerminalView::finish_progress_line() {
    if (!progress_showing_) return;
    std::fputc('\n', stderr);
    progress_showing_ = false;
}
std::uint64_t TerminalView::value(Outlet o) const {
    const auto it = controls_.find(o);
    return it == controls_.end() ? 0 : it->second.value;
}

std::string TerminalView::permission_advice() const {
    const std::string identifier = text(Outlet::disk_identifier);
    const std::string source = platform::raw_device_path(identifier);
    if (!identifier.empty() && identifier.front() == '/') return text::image_needs_reading_rights(source);
    return text::device_needs_sudo(source);
}

int TerminalView::alert(const AlertRequest& request) {
    finish_progress_line();
    if (request.buttons.size() < 2) {
        std::string said = explain_ ? explain_(request) : std::string();
#if !defined(__APPLE__)
        // The dialog's advice is for the macOS settings; here rights come from sudo or the file's mode.
        if (said.empty() && request.message == text::kPermissionRequired) said = permission_advice();
#endif
        if (said.empty()) {
            said = trimmed(request.message);
            if (const std::string more = trimmed(request.informative); !more.empty()) said += "\n" + more;
            // Failures of the source name it.
            if (said.starts_with(text::kReadError) || said.starts_with(text::kDeviceAccessError))
                said = platform::raw_device_path(text(Outlet::disk_identifier)) + ": " + said;
        }
        std::fputs(text::error_line(said).c_str(), err_);
        std::fflush(err_);
        return 0;
    }
    std::fprintf(out_, "%s\n", request.message.c_str());
    if (!request.informative.empty()) std::fprintf(out_, "%s\n", request.informative.c_str());
    if (in_ == nullptr || !::isatty(::fileno(in_))) {
        std::fflush(out_);
        return 0;
    }
    for (;;) {
        std::string prompt;
        for (std::size_t i = 0; i < request.buttons.size(); ++i)
            prompt += (i ? "/" : "") + request.buttons[i];
        std::fputs(text::answer_prompt(prompt, request.buttons.front()).c_str(), out_);
        std::fflush(out_);
        char line[256];
        if (std::fgets(line, sizeof line, in_) == nullptr) {
            // End of input, or a signal such as a second Ctrl-C: take the default.
            std::clearerr(in_);
            std::fputc('\n', out_);
            return 0;
        }
        std::string answer(line);
        while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r' || answer.back() == ' '))
            answer.pop_back();
        if (answer.empty()) return 0;
        for (std::size_t i = 0; i < request.buttons.size(); ++i) {
            const std::string& b = request.buttons[i];
            if (answer.size() <= b.size() && strncasecmp(answer.c_str(), b.c_str(), answer.size()) == 0)
                return static_cast<int>(i);
        }
    }
}

}  // namespace salvex
