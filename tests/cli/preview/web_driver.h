#pragma once

// A WebDriver session with headless Chromium through chromium-driver, spoken over HTTP on
// loopback: just the commands the browser test needs.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/cli/preview/preview_process.h"

namespace boxwander::test {

// The W3C name of the key that holds an element reference.
inline constexpr char kElementKey[] = "element-6066-11e4-a52e-4f735466cecf";

inline std::string DecodeBase64(const std::string& text) {
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    int v = -1;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    if (v < 0)
      continue;  // padding and line breaks
    bits = bits << 6 | static_cast<std::uint32_t>(v);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>(bits >> count & 0xFF));
    }
  }
  return out;
}

// A port nobody listens on now (the driver takes it right after).
inline int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  close(s);
  return port;
}

class WebDriver {
 public:
  WebDriver(const std::string& driver, const std::string& browser, const std::string& profile,
            const std::string& logFile, int width, int height)
      : port_(FreePort()) {
    Spawn({driver, "--port=" + std::to_string(port_)}, {.outFile = logFile, .errToOut = true},
          pid_);
    client_.set_read_timeout(120);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      if (const auto res = client_.Get("/status"); res && res->status == 200)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const nlohmann::json options = {
        {"binary", browser},
        {"args",
         {"--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
          "--disable-component-update", "--disable-sync", "--no-first-run", "--no-proxy-server",
          "--user-data-dir=" + profile, "--force-device-scale-factor=1",
          "--window-size=" + std::to_string(width) + "," + std::to_string(height)}}};
    const nlohmann::json answer =
        send("POST", "/session",
             {{"capabilities", {{"alwaysMatch", {{"goog:chromeOptions", options}}}}}});
    session_ = "/session/" + answer.at("sessionId").get<std::string>();
  }
  ~WebDriver() {
    try {
      if (!session_.empty())
        send("DELETE", session_, nullptr);
    } catch (const std::exception&) {
    }
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  WebDriver(const WebDriver&) = delete;
  WebDriver& operator=(const WebDriver&) = delete;

  void go(const std::string& url) { send("POST", session_ + "/url", {{"url", url}}); }
  // Runs a script in the page; a promise it returns is awaited.
  nlohmann::json script(const std::string& body, nlohmann::json args = nlohmann::json::array()) {
    return send("POST", session_ + "/execute/sync", {{"script", body}, {"args", args}});
  }
  nlohmann::json element(const std::string& css) {
    const nlohmann::json found =
        send("POST", session_ + "/element", {{"using", "css selector"}, {"value", css}});
    if (!found.contains(kElementKey)) {
      throw std::runtime_error("WebDriver: no element " + css + ": " + found.dump());
    }
    return {{kElementKey, found.at(kElementKey)}};
  }
  void click(const nlohmann::json& element) {
    send("POST", session_ + "/element/" + element.at(kElementKey).get<std::string>() + "/click",
         nlohmann::json::object());
  }
  void clear(const nlohmann::json& element) {
    send("POST", session_ + "/element/" + element.at(kElementKey).get<std::string>() + "/clear",
         nlohmann::json::object());
  }
  void type(const nlohmann::json& element, const std::string& text) {
    send("POST", session_ + "/element/" + element.at(kElementKey).get<std::string>() + "/value",
         {{"text", text}});
  }
  // One mouse's actions, as the W3C actions command takes them.
  void mouse(const nlohmann::json& steps) {
    send("POST", session_ + "/actions",
         {{"actions",
           {{{"type", "pointer"},
             {"id", "mouse"},
             {"parameters", {{"pointerType", "mouse"}}},
             {"actions", steps}}}}});
  }
  std::string screenshotPng() {
    return DecodeBase64(send("GET", session_ + "/screenshot", nullptr).get<std::string>());
  }

 private:
  nlohmann::json send(const std::string& method, const std::string& path,
                      const nlohmann::json& body) {
    httplib::Result res = method == "GET" ? client_.Get(path)
                          : method == "DELETE"
                              ? client_.Delete(path)
                              : client_.Post(path, body.dump(), "application/json");
    if (!res) {
      throw std::runtime_error("WebDriver " + path + ": no answer");
    }
    const nlohmann::json answer = nlohmann::json::parse(res->body, nullptr, false);
    if (res->status != 200 || !answer.is_object()) {
      throw std::runtime_error("WebDriver " + path + ": " + res->body.substr(0, 600));
    }
    return answer.value("value", nlohmann::json());
  }

  int port_;
  pid_t pid_ = -1;
  httplib::Client client_{"127.0.0.1", port_};
  std::string session_;
};

}  // namespace boxwander::test
