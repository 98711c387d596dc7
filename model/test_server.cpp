#include "model/test_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

extern char** environ;

namespace jabbery::model::testing {

std::string ChatCompletion(const std::string& content) {
    return nlohmann::json{{"id", "test"},
                          {"object", "chat.completion"},
                          {"choices",
                           {{{"index", 0},
                             {"message", {{"role", "assistant"}, {"content", content}}},
                             {"finish_reason", "stop"}}}}}
        .dump();
}

TestServer::TestServer() : m_server(std::make_unique<httplib::Server>()) {
    m_responder = [](const RecordedRequest&, int number) {
        return CannedReply{200, ChatCompletion("Answer " + std::to_string(number))};
    };
    m_server->Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded{
            request.path, request.body, request.get_header_value("Authorization"),
            request.has_header("Authorization"), request.get_header_value("Content-Type")};
        const CannedReply reply = Respond(recorded);
        response.status = reply.status;
        response.set_content(reply.body, reply.content_type.c_str());
    });
    // Port 0 on the loopback address: the system picks a free port, and no
    // one outside this machine can reach the server.
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() does nothing to a server whose loop has not started yet, so a
    // server destroyed at once would otherwise never end its thread.
    while (!m_server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    // A handler still holding back a slow reply gives up at once.
    m_stopping_changed.notify_all();
    m_server->stop();
    m_thread.join();
}

std::string TestServer::Endpoint() const {
    return "http://127.0.0.1:" + std::to_string(m_port) + "/v1";
}

void TestServer::SetResponder(Responder responder) {
    std::lock_guard lock(m_mutex);
    m_responder = std::move(responder);
}

void TestServer::AlwaysReply(CannedReply reply) {
    SetResponder([reply](const RecordedRequest&, int) { return reply; });
}

std::vector<RecordedRequest> TestServer::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

CannedReply TestServer::Respond(const RecordedRequest& request) {
    std::unique_lock lock(m_mutex);
    m_requests.push_back(request);
    const CannedReply reply = m_responder(request, static_cast<int>(m_requests.size()));
    m_stopping_changed.wait_for(lock, reply.delay, [this] { return m_stopping; });
    return reply;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "jabbery-model-XXXXXX");
    // mkdtemp makes a folder with a name no one else holds, readable only by us.
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder,
                      const std::vector<std::string>& extra_env) {
    TempFolder scratch;
    const std::string out_path = scratch.Path() / "out";
    const std::string err_path = scratch.Path() / "err";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (name.find("proxy") == std::string::npos && name.find("PROXY") == std::string::npos) {
            environment.push_back(variable);
        }
    }
    environment.insert(environment.end(), extra_env.begin(), extra_env.end());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The child starts in the bot's folder, reads nothing and writes its
    // output to files we read afterwards (no pipe that could fill up).
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = 0;
    ProgramRun run;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    // Reap the child, so no test leaves a zombie behind.
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
    run.out = ReadFileBytes(out_path);
    run.err = ReadFileBytes(err_path);
    return run;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace jabbery::model::testing
