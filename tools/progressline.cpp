#include "tools/progressline.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr size_t kDefaultColumns = 80;

size_t TerminalColumns(FILE* stream) {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultColumns;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Columns a text takes: one for each character, counting UTF-8 sequences as one.
size_t Columns(const std::string& text) {
    size_t columns = 0;
    for (char c : text)
        columns += IsContinuationByte(c) ? 0 : 1;
    return columns;
}

// The end of `text` that fits in `columns`, starting on a whole character.
std::string Tail(const std::string& text, size_t columns) {
    size_t start = text.size();
    size_t taken = 0;
    while (start > 0 && taken < columns) {
        --start;
        if (!IsContinuationByte(text[start]))
            ++taken;
    }
    while (start < text.size() && IsContinuationByte(text[start]))
        ++start;
    return text.substr(start);
}

} // namespace

ProgressLine::ProgressLine(FILE* stream, int total)
    : stream_(stream), total_(total), active_(::isatty(::fileno(stream)) == 1) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Show(int n, const std::string& name, long long pointsSoFar) {
    if (!active_)
        return;
    const std::string head = "file " + std::to_string(n) + " of " + std::to_string(total_) + ": ";
    const std::string tail = ", " + std::to_string(pointsSoFar) + " points so far";
    // The last column stays free: a line that fills the terminal's width wraps on some
    // terminals, and the carriage return would then go back to the wrong row.
    const size_t width = TerminalColumns(stream_) - 1;
    const size_t fixed = head.size() + tail.size();
    // A control character in a name (a newline, say) would break the line.
    std::string shownName = name;
    for (char& c : shownName)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    if (fixed + Columns(shownName) > width)
        shownName = width > fixed + 3 ? "..." + Tail(shownName, width - fixed - 3) : std::string();
    std::string line = head + shownName + tail;
    if (Columns(line) > width)
        line = Tail(line, width);
    const size_t columns = Columns(line);
    if (columns < shown_)
        line.append(shown_ - columns, ' ');
    std::fprintf(stream_, "\r%s", line.c_str());
    std::fflush(stream_);
    shown_ = columns;
}

void ProgressLine::Clear() {
    if (!active_ || shown_ == 0)
        return;
    std::fprintf(stream_, "\r%s\r", std::string(shown_, ' ').c_str());
    std::fflush(stream_);
    shown_ = 0;
}
