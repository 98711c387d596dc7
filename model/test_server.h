// Test helpers: a chat-completions server on 127.0.0.1 that records what it
// is sent and answers as the test says, a temporary folder, and running a
// program as Jabbery would.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace jabbery::model::testing {

// One request as the server received it.
struct RecordedRequest {
    std::string path;
    std::string body;
    std::string authorization;  // empty when the header was not sent
    bool has_authorization = false;
    std::string content_type;
};

// What the server answers.
struct CannedReply {
    int status = 200;
    std::string body;
    std::string content_type = "application/json";
    std::chrono::milliseconds delay{0};
};

// A chat-completions response body whose answer is `content`.
std::string ChatCompletion(const std::string& content);

// Listens on 127.0.0.1 at a port the system picks, in a thread of its own,
// until destroyed. By default it answers "Answer N" (N counting from 1).
class TestServer {
  public:
    using Responder = std::function<CannedReply(const RecordedRequest&, int number)>;

    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return m_port; }
    // The base URL to put in model.conf.
    std::string Endpoint() const;
    void SetResponder(Responder responder);
    // Shorthand: every request gets `reply`.
    void AlwaysReply(CannedReply reply);
    std::vector<RecordedRequest> Requests() const;

  private:
    CannedReply Respond(const RecordedRequest& request);

    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopping_changed;
    bool m_stopping = false;
    Responder m_responder;
    std::vector<RecordedRequest> m_requests;
};

// A fresh folder under the test's temporary directory, removed with all
// its content when destroyed.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// How a program run ended.
struct ProgramRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs `arguments` (the program first) in `folder` with standard input from
// /dev/null, as Jabbery does, and waits for it. The environment is ours
// without proxy settings (nothing may leave 127.0.0.1), plus `extra_env`
// ("NAME=value" each).
ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder,
                      const std::vector<std::string>& extra_env = {});

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& content);

}  // namespace jabbery::model::testing
