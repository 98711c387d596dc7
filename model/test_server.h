// SPDX-License-Identifier: MIT
// Test helpers: a chat-completions server on 127.0.0.1 answering as told, and
// running a program in a folder as Jabbery would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/test_temp_folder.h"

namespace httplib {
class Server;
}

namespace jabbery::model::testing {

using jabbery::testing::ReadFile;
using jabbery::testing::TempFolder;
using jabbery::testing::WriteFile;

struct RecordedRequest {
    std::string path, body;
    std::optional<std::string> authorization;  // the header, when it was sent
    std::string content_type;
};

struct CannedReply {
    int status = 200;
    std::string body;
    std::chrono::milliseconds delay{0};  // cut short when the server stops
};

// A chat-completions response body whose answer is `content`.
std::string ChatCompletion(const std::string& content);

// Listens on 127.0.0.1 at a port the system picks, in a thread of its own,
// until destroyed. Until told otherwise the Nth request is answered "Answer N".
class TestServer {
  public:
    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return m_port; }
    // The base URL for model.conf.
    std::string Endpoint() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/v1"; }
    void AlwaysReply(CannedReply reply) {
        std::lock_guard lock(m_mutex);
        m_always = std::move(reply);
    }
    std::vector<RecordedRequest> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }

  private:
    CannedReply Respond(const RecordedRequest& request);

    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_stoppingChanged;
    bool m_stopping = false;
    std::optional<CannedReply> m_always;
    std::vector<RecordedRequest> m_requests;
};

struct ProgramRun {
    int exit_code = -1;
    std::string out, err;
};

// Runs `arguments` (the program first) in `folder`, input from /dev/null, in our
// environment without proxies (nothing may leave 127.0.0.1) plus `extra_env`.
ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder,
                      const std::vector<std::string>& extra_env = {});

}  // namespace jabbery::model::testing
