// SPDX-License-Identifier: MIT
#include "model/test_server.h"

#include <httplib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "values/shell_quote.h"

namespace jabbery::model::testing {

std::string ChatCompletion(const std::string& content) {
    return R"({"id":"test","object":"chat.completion","choices":[{"index":0,"message":)"
           R"({"role":"assistant","content":)" +
           nlohmann::json(content).dump() + R"(},"finish_reason":"stop"}]})";
}

TestServer::TestServer() : m_server(std::make_unique<httplib::Server>()) {
    m_server->Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
        RecordedRequest recorded{request.path, request.body, std::nullopt,
                                 request.get_header_value("Content-Type")};
        if (request.has_header("Authorization")) {
            recorded.authorization = request.get_header_value("Authorization");
        }
        const CannedReply reply = Respond(recorded);
        response.status = reply.status;
        response.set_content(reply.body, "application/json");
    });
    // A free port the system picks, on the loopback address only.
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // stop() does nothing to a server whose loop has not started yet.
    while (!m_server->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    // A handler still holding back a slow reply gives up at once.
    m_stoppingChanged.notify_all();
    m_server->stop();
    m_thread.join();
}

CannedReply TestServer::Respond(const RecordedRequest& request) {
    std::unique_lock lock(m_mutex);
    m_requests.push_back(request);
    const CannedReply reply = m_always.value_or(
        CannedReply{200, ChatCompletion("Answer " + std::to_string(m_requests.size()))});
    m_stoppingChanged.wait_for(lock, reply.delay, [this] { return m_stopping; });
    return reply;
}

ProgramRun RunProgram(const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder,
                      const std::vector<std::string>& extra_env) {
    TempFolder scratch;
    std::string command = "cd " + ShellQuote(folder.string()) +
                          " && env -u http_proxy -u https_proxy -u all_proxy -u HTTP_PROXY "
                          "-u HTTPS_PROXY -u ALL_PROXY";
    for (const auto& word : extra_env) command += " " + ShellQuote(word);
    for (const auto& word : arguments) command += " " + ShellQuote(word);
    command +=
        " </dev/null >" + ShellQuote(scratch.File("out")) + " 2>" + ShellQuote(scratch.File("err"));
    // system() waits for the shell and the program, so nothing is left running.
    const int status = std::system(command.c_str());
    ProgramRun run;
    if (status != -1 && WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
    run.out = ReadFile(scratch.File("out"));
    run.err = ReadFile(scratch.File("err"));
    return run;
}

}  // namespace jabbery::model::testing
