// SPDX-License-Identifier: MIT
#include "model/http_client.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>

namespace jabbery::model {
namespace {

// A chat answer is a few kilobytes; a body past this is not one.
constexpr std::size_t kMaxBodyBytes = 4 * 1024 * 1024;

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// libcurl hands the body over in pieces; keep them, up to the limit.
extern "C" size_t CollectBody(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    // Returning less than was given makes libcurl stop with a write error.
    if (body->size() + bytes > kMaxBodyBytes) return 0;
    body->append(data, bytes);
    return bytes;
}

std::string Describe(CURLcode code, const std::string& url, std::chrono::milliseconds timeout,
                     const char* detail) {
    switch (code) {
        case CURLE_COULDNT_CONNECT:
            return "cannot connect to " + url + " (is the server running?)";
        case CURLE_COULDNT_RESOLVE_HOST:
            return "cannot find the host of " + url + " (DNS lookup failed)";
        case CURLE_OPERATION_TIMEDOUT: {
            char seconds[32];
            std::snprintf(seconds, sizeof seconds, "%g",
                          static_cast<double>(timeout.count()) / 1000);
            return std::string("no answer from ") + url + " within " + seconds +
                   " s (timeout in model.conf)";
        }
        case CURLE_WRITE_ERROR:
            return "the answer from " + url + " is larger than 4 MiB";
        default:
            return "request to " + url + " failed: " + curl_easy_strerror(code) +
                   (detail[0] != '\0' ? std::string(" (") + detail + ")" : std::string());
    }
}

}  // namespace

HttpResponse PostJson(const std::string& url, const std::string& body, const std::string& bearer,
                      std::chrono::milliseconds timeout) {
    HttpResponse response;
    std::unique_ptr<CURL, EasyDeleter> handle(curl_easy_init());
    if (!handle) {
        response.error = "cannot start libcurl";
        return response;
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    const auto add_header = [&](const std::string& header) {
        headers.reset(curl_slist_append(headers.release(), header.c_str()));
    };
    add_header("Content-Type: application/json");
    add_header("Accept: application/json");
    if (!bearer.empty()) add_header("Authorization: Bearer " + bearer);

    char detail[CURL_ERROR_SIZE] = "";
    const long timeout_ms = static_cast<long>(timeout.count());
    CURL* curl = handle.get();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeout_ms);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeout_ms);
    // No signals: the time limits must not rely on SIGALRM in a program that
    // may one day run more than one request at a time.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "jabbery-model/" JABBERY_VERSION);

    const CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        response.error = Describe(code, url, timeout, detail);
        response.body.clear();
        return response;
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    return response;
}

}  // namespace jabbery::model
