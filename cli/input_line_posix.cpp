// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <histedit.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cwchar>
#include <system_error>

#include "cli/input_line.h"
#include "platform/write_all.h"

namespace jabbery {

namespace {

// Marks the prompt's terminal codes, which take no room on the screen.
constexpr char kCodesMark = '\1';
constexpr int kHistorySize = 500;

// The columns `text` (UTF-8) takes on the screen; a control character
// shows as two (^X), as libedit draws it.
int ScreenWidth(std::string_view text) {
    std::mbstate_t state{};
    int width = 0;
    while (!text.empty()) {
        wchar_t character = 0;
        std::size_t used = std::mbrtowc(&character, text.data(), text.size(), &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2)) {
            state = {};
            used = 1;
            character = static_cast<unsigned char>(text.front());
        }
        text.remove_prefix(std::max<std::size_t>(used, 1));
        const int columns = ::wcwidth(character);
        width += columns < 0 ? 2 : columns;
    }
    return width;
}

// The prompt: `label` after the codes `style`, which end before its last
// character, for libedit loses codes at the very end of a prompt.
std::string Styled(const std::string& label, const std::string& style) {
    if (style.empty() || label.empty()) return label;
    return kCodesMark + style + kCodesMark + label.substr(0, label.size() - 1) + kCodesMark +
           "\x1b[0m" + kCodesMark + label.back();
}

// Up `rows` lines, to the start of that line, and erase from there down.
std::string EraseUp(int rows) {
    return (rows > 0 ? "\x1b[" + std::to_string(rows) + "A" : std::string()) + "\r\x1b[J";
}

}  // namespace

InputLine::InputLine(std::FILE* in, std::FILE* out, std::string label, const std::string& style)
    : m_in(in),
      m_outFd(fileno(out)),
      m_label(std::move(label)),
      m_prompt(Styled(m_label, style)),
      m_modes(fileno(in)) {
    // libedit reads and draws UTF-8 only under the user's own locale.
    std::setlocale(LC_CTYPE, "");
    // A pipe whose end wakes the editing thread when this goes.
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC) == 0) {
        m_wakeRead = UniqueFd(wake[0]);
        m_wakeWrite = UniqueFd(wake[1]);
    }
    m_history = ::history_init();
    HistEvent event;
    ::history(m_history, &event, H_SETSIZE, kHistorySize);
    m_editor = ::el_init("jabbery-cli", in, out, stderr);
    ::el_set(m_editor, EL_CLIENTDATA, this);
    ::el_set(m_editor, EL_EDITOR, "emacs");
    ::el_set(m_editor, EL_HIST, ::history, m_history);
    ::el_set(
        m_editor, EL_PROMPT_ESC,
        +[](EditLine* editor) {
            void* self = nullptr;
            ::el_get(editor, EL_CLIENTDATA, &self);
            return const_cast<char*>(static_cast<InputLine*>(self)->m_prompt.c_str());
        },
        kCodesMark);
    ::el_wset(
        m_editor, EL_GETCFN, +[](EditLine* editor, wchar_t* character) {
            void* self = nullptr;
            ::el_get(editor, EL_CLIENTDATA, &self);
            return static_cast<InputLine*>(self)->ReadChar(character);
        });
    // The user's own key bindings, as every program that edits with libedit reads them.
    ::el_source(m_editor, nullptr);
    try {
        m_thread = std::thread([this] { Edit(); });
    } catch (const std::system_error&) {
        // No destructor runs for what is not made: libedit's state goes here.
        ::el_end(m_editor);
        ::history_end(m_history);
        throw;
    }
}

InputLine::~InputLine() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    // The editing thread may be waiting for a key: the pipe wakes it.
    if (m_wakeWrite.IsOpen()) WriteAll(m_wakeWrite.Get(), "x");
    m_thread.join();
    ::el_end(m_editor);
    ::history_end(m_history);
}

bool InputLine::WriteAbove(const std::function<bool()>& write) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    // While nothing is edited (before, after), there is nothing to keep.
    if (m_editing == nullptr) return write();
    Hide();
    const bool written = write();
    Show();
    return written;
}

bool InputLine::SetStatus(const std::string& text) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_editing == nullptr) return false;
    Hide();
    m_status = text;
    Show();
    return true;
}

void InputLine::Edit() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        m_editing = &lock;
        int count = 0;
        const char* got = ::el_gets(m_editor, &count);
        m_editing = nullptr;
        // Ctrl-D on an empty line, the terminal gone, or this object going:
        // the line and its prompt leave the screen, and nothing more is read.
        if (got == nullptr || count <= 0 || m_stopping) {
            Put(EraseUp(m_status.empty() ? 0 : 1));
            m_status.clear();
            End();
            break;
        }
        std::string line(got, static_cast<std::size_t>(count));
        if (line.back() == '\n') line.pop_back();
        // libedit has gone on to the next line: back over the rows the
        // prompt and line took, so the line shows once, where it is said.
        Put(EraseUp((ScreenWidth(m_label) + ScreenWidth(line)) / Columns() + 1));
        if (!line.empty()) {
            HistEvent event;
            ::history(m_history, &event, H_ENTER, line.c_str());
        }
        Add(std::move(line));
    }
}

int InputLine::ReadChar(wchar_t* character) {
    std::mbstate_t state{};
    while (!m_stopping) {
        // The lock is let go while waiting for a key, so the conversation
        // can write (its lines go above the input line as libedit drew it).
        pollfd ready[2] = {{fileno(m_in), POLLIN, 0}, {m_wakeRead.Get(), POLLIN, 0}};
        m_editing->unlock();
        const int polled = ::poll(ready, 2, -1);
        m_editing->lock();
        if (polled < 0 && errno == EINTR) continue;
        if (polled < 0 || m_stopping) break;
        char byte = 0;
        const ssize_t got = ::read(fileno(m_in), &byte, 1);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        const std::size_t used = std::mbrtowc(character, &byte, 1, &state);
        // A character of several bytes: wait for the rest.
        if (used == static_cast<std::size_t>(-2)) continue;
        // A byte that is no character in the locale stands for itself.
        if (used == static_cast<std::size_t>(-1)) *character = static_cast<unsigned char>(byte);
        return 1;
    }
    // Nothing more is read: the half-typed line leaves the screen, all its rows.
    Hide();
    m_status.clear();
    return 0;
}

void InputLine::Hide() {
    const LineInfo* line = ::el_line(m_editor);
    const std::string_view before_cursor(line->buffer,
                                         static_cast<std::size_t>(line->cursor - line->buffer));
    const int rows_up = (ScreenWidth(m_label) + ScreenWidth(before_cursor)) / Columns();
    Put(EraseUp(rows_up + (m_status.empty() ? 0 : 1)));
}

void InputLine::Show() {
    if (!m_status.empty()) Put(m_status + "\r\n");
    // libedit draws the prompt and the line afresh, the cursor where it was,
    // in the terminal's width now (it may have been resized).
    ::el_resize(m_editor);
    ::el_set(m_editor, EL_REFRESH);
}

int InputLine::Columns() {
    int columns = 0;
    ::el_get(m_editor, EL_GETTC, "co", &columns);
    return std::max(columns, 1);
}

void InputLine::Put(const std::string& codes) {
    // A terminal that cannot be written has nothing to tidy.
    WriteAll(m_outFd, codes);
}

}  // namespace jabbery
