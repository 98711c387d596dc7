// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace jabbery::testing {

// A terminal's screen as a program's output leaves it, for tests that read
// what a user would see: text, CR, LF, backspace, and the codes a line
// editor and jabbery-cli send (cursor moves, erasing, inserting and
// deleting characters); colours and modes are skipped. Wraps at the last
// column as xterm does (the wrap waits for the next character). One byte
// is one column: tests type ASCII.
class TestScreen {
  public:
    TestScreen(int rows, int columns)
        : m_columns(columns), m_rows(static_cast<std::size_t>(rows), Blank()) {}

    void Feed(std::string_view output) {
        for (const char c : output) Take(c);
    }

    // The rows, blanks at their ends dropped.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (std::string row : m_rows) rows.push_back(row.erase(row.find_last_not_of(' ') + 1));
        return rows;
    }
    // The row the cursor is on.
    std::string CursorRow() const { return Rows()[static_cast<std::size_t>(m_row)]; }
    // The row above the cursor's ("" on the first).
    std::string RowAbove() const {
        return m_row == 0 ? "" : Rows()[static_cast<std::size_t>(m_row - 1)];
    }

  private:
    std::string Blank() const { return std::string(static_cast<std::size_t>(m_columns), ' '); }
    std::string& Row() { return m_rows[static_cast<std::size_t>(m_row)]; }

    void Take(char c) {
        if (!m_sequence.empty()) return Continue(c);
        if (c == '\x1b') {
            m_sequence = "\x1b";
        } else if (c == '\r') {
            m_column = 0;
        } else if (c == '\n') {
            LineFeed();
        } else if (c == '\b') {
            m_column = std::max(0, std::min(m_column, m_columns - 1) - 1);
        } else if (static_cast<unsigned char>(c) >= ' ') {
            if (m_column == m_columns) {
                m_column = 0;
                LineFeed();
            }
            Row()[static_cast<std::size_t>(m_column++)] = c;
        }
    }

    void LineFeed() {
        if (m_row + 1 < static_cast<int>(m_rows.size())) {
            ++m_row;
            return;
        }
        m_rows.erase(m_rows.begin());
        m_rows.push_back(Blank());
    }

    // ESC [ parameters final: one code, done when its final letter comes;
    // ESC ( B and its like choose a character set; ESC and one more do the rest.
    void Continue(char c) {
        m_sequence += c;
        if (m_sequence[1] == '(' || m_sequence[1] == ')') {
            if (m_sequence.size() == 3) m_sequence.clear();
            return;
        }
        if (m_sequence.size() == 2 && c != '[') return m_sequence.clear();
        if (m_sequence.size() == 2 || !(c >= '@' && c <= '~')) return;
        const std::string parameters = m_sequence.substr(2, m_sequence.size() - 3);
        m_sequence.clear();
        const int n = parameters.empty() || parameters[0] == '?' ? 1 : std::stoi(parameters);
        const auto column = static_cast<std::size_t>(std::min(m_column, m_columns - 1));
        switch (c) {
            case 'A':
                m_row = std::max(0, m_row - n);
                break;
            case 'B':
                m_row = std::min(static_cast<int>(m_rows.size()) - 1, m_row + n);
                break;
            case 'C':
                m_column = std::min(m_columns - 1, m_column + n);
                break;
            case 'D':
                m_column = std::max(0, std::min(m_column, m_columns - 1) - n);
                break;
            case 'K':
                Row().replace(column, std::string::npos, m_columns - column, ' ');
                break;
            case 'J':
                Row().replace(column, std::string::npos, m_columns - column, ' ');
                for (std::size_t r = static_cast<std::size_t>(m_row) + 1; r < m_rows.size(); ++r)
                    m_rows[r] = Blank();
                break;
            case 'P':
                Row().erase(column, static_cast<std::size_t>(n)).resize(m_rows[0].size(), ' ');
                break;
            case '@':
                Row().insert(column, static_cast<std::size_t>(n), ' ').resize(m_rows[0].size());
                break;
            default:  // colours, modes
                break;
        }
    }

    int m_columns;
    std::vector<std::string> m_rows;
    int m_row = 0;
    int m_column = 0;
    std::string m_sequence;
};

}  // namespace jabbery::testing
