// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "cli/human_lines.h"
#include "platform/terminal.h"
#include "platform/terminal_modes.h"
#include "platform/unique_fd.h"

struct editline;
struct history;

namespace jabbery {

// The human's input line on a terminal: line editing and history (libedit,
// emacs keys, ~/.editrc), a prompt with the human's name, and whatever the
// conversation writes shown above it, the half-typed line drawn again
// intact below (it is the KeptLine of standard output and error). Lines
// are edited on a thread of their own; Enter hands the line over and takes
// it off the screen (the conversation prints it when it is said). Ctrl-D
// on an empty line ends the input, as the end of a pipe does. The
// terminal's modes are put back when this goes, and by a stop signal that
// ends the program.
class InputLine final : public HumanLines, public KeptLine {
  public:
    // Edits on terminal `in` and `out` behind the prompt `label` (plain
    // text), shown after the terminal codes `style` (none: "").
    InputLine(std::FILE* in, std::FILE* out, std::string label, const std::string& style);
    ~InputLine() override;  // stops editing and joins the thread
    InputLine(const InputLine&) = delete;
    InputLine& operator=(const InputLine&) = delete;

    bool WriteAbove(const std::function<bool()>& write) override;

    // Shows `text` (one short line: whom the conversation waits for) just
    // above the input line until it is changed; "" takes it away. False
    // when no line is edited (input has ended): the caller shows it itself.
    bool SetStatus(const std::string& text);

  private:
    void Edit();
    // Reads the next character typed, for libedit: the conversation may
    // write while it waits. 1 when read, 0 at the end, -1 on an error.
    int ReadChar(wchar_t* character);
    // Takes the status and input lines off the screen; puts them back.
    void Hide();
    void Show();
    int Columns();
    void Put(const std::string& codes);

    std::FILE* m_in;
    int m_outFd;
    std::string m_label;
    std::string m_prompt;
    std::string m_status;
    SavedTerminalModes m_modes;
    UniqueFd m_wakeRead;
    UniqueFd m_wakeWrite;
    editline* m_editor = nullptr;
    struct history* m_history = nullptr;
    std::mutex m_mutex;
    // The editing thread's hold on m_mutex, let go while it waits for a key.
    std::unique_lock<std::mutex>* m_editing = nullptr;
    bool m_stopping = false;
    std::thread m_thread;
};

}  // namespace jabbery
