// extrato_soak: slow, greedy and bursting clients against a running server on
// loopback, each case bounded in count and time. Prints one row per case: case,
// expected, observed; exits 1 when a case is not as expected.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include "testing/raw_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Options {
  int port = 0;
  std::string token;
  int server_pid = 0;
  int tricklers = 500;
  int trickle_gap_ms = 2000;
  int trickle_hold_ms = 5000;
  int parallel = 1000;
  long long chunked_mib = 1024;
  long long limit_mib = 256;  // the server's body limit
  long long packet_mib = 100;
};

struct Row {
  std::string name, expected, observed;
  bool ok;
};

std::string Auth(const std::string& token) {
  return token.empty() ? "" : "Authorization: Bearer " + token + "\r\n";
}

std::string Call(const std::string& token, const std::string& more_headers = "") {
  return soak::RawPost(R"({"method": "GetPrxMovReal", "params": ["001", 1]})",
                       Auth(token) + more_headers);
}

bool Answered(const std::string& response) {
  return response.rfind("HTTP/1.1 200", 0) == 0 &&
         response.find("\"ok\":true") != std::string::npos;
}

long long Millis(Clock::duration d) {
  return std::chrono::duration_cast<milliseconds>(d).count();
}

// A normal call while many connections trickle one header line at a time.
Row Trickling(const Options& o) {
  std::vector<std::unique_ptr<soak::RawClient>> tricklers;
  for (int i = 0; i < o.tricklers; ++i) {
    tricklers.push_back(std::make_unique<soak::RawClient>(o.port));
    tricklers.back()->Send("POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\n");
  }
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    for (int line = 0; !stop; ++line) {
      for (auto& t : tricklers)
        t->Send(fmt::format("X-Linha-{}: a\r\n", line));
      for (int waited = 0; !stop && waited < o.trickle_gap_ms; waited += 10)
        std::this_thread::sleep_for(milliseconds(10));
    }
  });
  std::this_thread::sleep_for(milliseconds(o.trickle_hold_ms / 2));
  soak::RawClient normal(o.port);
  auto started = Clock::now();
  normal.Send(Call(o.token, "Connection: close\r\n"));
  bool answered = Answered(normal.Read(milliseconds(5000)));
  long long took = Millis(Clock::now() - started);
  std::this_thread::sleep_for(milliseconds(o.trickle_hold_ms / 2));
  stop = true;
  trickle.join();
  return {fmt::format("{} conexões enviando um cabeçalho a cada {} ms; uma chamada normal",
                      o.tricklers, o.trickle_gap_ms),
          "respondida em menos de 1000 ms",
          answered ? fmt::format("respondida em {} ms", took) : "sem resposta",
          answered && took < 1000};
}

// Many connections opened at once, each with one call.
Row Parallel(const Options& o) {
  std::vector<std::unique_ptr<soak::RawClient>> sockets;
  int refused = 0;
  for (int i = 0; i < o.parallel; ++i) {
    sockets.push_back(std::make_unique<soak::RawClient>(o.port));
    if (!sockets.back()->connected() ||
        !sockets.back()->Send(Call(o.token, "Connection: close\r\n")))
      ++refused;
  }
  int answered = 0;
  auto until = Clock::now() + std::chrono::seconds(30);
  for (auto& s : sockets) {
    auto left = std::max<long long>(Millis(until - Clock::now()), 1);
    answered += Answered(s->Read(milliseconds(left))) ? 1 : 0;
  }
  return {
      fmt::format("{} conexões paralelas, uma chamada cada", o.parallel),
      fmt::format("{} respondidas", o.parallel),
      fmt::format("{} respondidas, {} recusadas ou interrompidas", answered, o.parallel - answered),
      answered == o.parallel && refused == 0};
}

// A chunked body far over the limit, sent as fast as the server takes it.
Row OversizedChunked(const Options& o, const std::string& token, int status, long long mib) {
  soak::RawClient s(o.port);
  s.Send(fmt::format(
      "POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\nHost: 127.0.0.1\r\n{}Transfer-Encoding: "
      "chunked\r\n\r\n",
      Auth(token)));
  std::string chunk = fmt::format("10000\r\n{}\r\n", std::string(0x10000, ' '));
  long long sent = 0;
  std::string answer;
  auto until = Clock::now() + std::chrono::seconds(60);
  long long total = mib << 20;
  while (sent < total && Clock::now() < until) {
    if (s.Readable() || !s.Send(chunk))
      break;
    sent += 0x10000;
  }
  answer = s.Read(milliseconds(2000));
  std::string code = fmt::format("HTTP/1.1 {}", status);
  bool refused = answer.rfind(code, 0) == 0;
  std::string what = status == 401 ? "token errado" : "token certo";
  return {fmt::format("corpo em partes de {} MiB, {}", mib, what),
          fmt::format("{} antes do fim do corpo", status),
          fmt::format("{} após {} KiB enviados", refused ? std::to_string(status) : "sem recusa",
                      sent >> 10),
          refused && sent < total};
}

Row Pipelined(const Options& o) {
  soak::RawClient s(o.port);
  s.Send(Call(o.token) + Call(o.token) + Call(o.token, "Connection: close\r\n"));
  std::string answers = s.Read(milliseconds(5000));
  int count = 0;
  for (std::size_t at = answers.find("HTTP/1.1 200"); at != std::string::npos;
       at = answers.find("HTTP/1.1 200", at + 1))
    ++count;
  return {"3 chamadas em sequência numa conexão, sem esperar resposta", "3 respostas, em ordem",
          fmt::format("{} respostas", count), count == 3};
}

// A memory figure of the process from the kernel's own count ("VmHWM:" the peak,
// "VmRSS:" the present), in KiB; -1 when unknown.
long long MemoryKib(int pid, std::string_view figure) {
  std::ifstream status(fmt::format("/proc/{}/status", pid));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(figure, 0) == 0)
      return std::atoll(line.c_str() + figure.size());
  }
  return -1;
}

// Makes the kernel count the peak again from the present.
void ResetPeak(int pid) {
  std::ofstream(fmt::format("/proc/{}/clear_refs", pid)) << "5";
}

// A well-formed submission of about `packet_mib` MiB: the server's peak memory while
// storing it, against its size.
Row LargePacket(const Options& o) {
  std::string rows;
  for (long long i = 0; static_cast<long long>(rows.size()) < (o.packet_mib << 20); ++i) {
    rows += fmt::format(
        R"({}["001", "{:010}", "{:010}", "{:020}", "2024-03-01", {}.25, "C", "HISTORICO", "1", "100", "0", "0"])",
        i ? ", " : "", 1 + i / 9'000'000, 1 + i % 9'000'000, i, i % 100000);
  }
  std::string body =
      R"({"method": "Set_Real_Bradesco", "params": [{"fields": [["CDREDUCONT", "text", 3], )"
      R"(["CDSEQUEXTR", "text", 10], ["NRSEQMOVREAL", "text", 10], ["NRDOCMOVREAL", "text", 20], )"
      R"(["DTMOVREAL", "date", 0], ["VRMOVREAL", "float", 0], ["IDMOVREAL", "text", 1], )"
      R"(["DSHISTMOVREAL", "text", 40], ["IDTIPOREGI", "text", 2], ["CDCATELANC", "text", 4], )"
      R"(["IDSTCONMVBAN", "text", 1], ["IDTPMOVREAL", "text", 1]], "rows": [)" +
      rows + "]}, null]}";
  std::string().swap(rows);
  ResetPeak(o.server_pid);
  long long before = MemoryKib(o.server_pid, "VmRSS:");
  soak::RawClient s(o.port);
  auto started = Clock::now();
  s.Send(
      fmt::format("POST /QAR62700.rdmImpExtBanc HTTP/1.1\r\nHost: 127.0.0.1\r\n{}Content-Type: "
                  "application/json\r\nConnection: close\r\nContent-Length: {}\r\n\r\n",
                  Auth(o.token), body.size()));
  s.Send(body);
  std::string answer = s.Read(milliseconds(240'000));
  long long took = Millis(Clock::now() - started);
  long long peak = MemoryKib(o.server_pid, "VmHWM:");
  bool stored = answer.find(R"({"ok":true,"result":true})") != std::string::npos;
  long long mib = static_cast<long long>(body.size() >> 20);
  long long grown_mib = (peak - before) >> 10;
  // Beside twice the body, a little for what any call costs (database cache, buffers).
  long long bound_mib = 2 * mib + 16;
  return {
      fmt::format("submissão bem formada de {} MiB", mib),
      fmt::format("gravada; memória a mais no pico até {} MiB (2 × o tamanho + 16 MiB)", bound_mib),
      fmt::format("{} em {} ms; pico {} MiB, {} MiB a mais que antes",
                  stored ? "gravada" : "recusada", took, peak >> 10, grown_mib),
      stored && before >= 0 && grown_mib <= bound_mib};
}

// The server's peak resident memory, from the kernel's own count: a body read whole
// up to the limit, and the rows made of it, must not cost many times the body.
Row PeakMemory(const Options& o) {
  long long peak_kib = MemoryKib(o.server_pid, "VmHWM:");
  long long bound_kib = 2 * (o.limit_mib << 10);
  return {"memória de pico do servidor após os corpos recusados",
          fmt::format("abaixo de {} MiB (2 × o limite do corpo)", bound_kib >> 10),
          peak_kib < 0 ? "desconhecida" : fmt::format("{} MiB", peak_kib >> 10),
          peak_kib >= 0 && peak_kib < bound_kib};
}

void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  CLI::App app{"Clientes lentos, gananciosos e em rajada contra um servidor em 127.0.0.1."};
  app.add_option("--port", o.port, "porta do servidor")->required();
  app.add_option("--token", o.token, "token do servidor");
  app.add_option("--server-pid", o.server_pid, "processo do servidor, para a memória de pico");
  app.add_option("--trickle", o.tricklers, "conexões lentas")->check(CLI::Range(1, 2000));
  app.add_option("--trickle-gap-ms", o.trickle_gap_ms, "intervalo entre linhas")
      ->check(CLI::Range(10, 10000));
  app.add_option("--trickle-hold-ms", o.trickle_hold_ms, "tempo com as conexões lentas abertas")
      ->check(CLI::Range(100, 120000));
  app.add_option("--parallel", o.parallel, "conexões paralelas")->check(CLI::Range(1, 5000));
  app.add_option("--chunked-mib", o.chunked_mib, "tamanho do corpo em partes, em MiB")
      ->check(CLI::Range(1, 4096));
  app.add_option("--limit-mib", o.limit_mib, "limite do corpo no servidor, em MiB")
      ->check(CLI::Range(1, 4096));
  app.add_option("--packet-mib", o.packet_mib, "submissão bem formada, em MiB (0: nenhuma)")
      ->check(CLI::Range(0, 200));
  CLI11_PARSE(app, argc, argv);
  RaiseDescriptorLimit();

  // First, while the server has held nothing else: what it grows by is the
  // submission's own cost. Shown last.
  std::optional<Row> packet;
  if (o.packet_mib > 0 && o.server_pid > 0) {
    packet = LargePacket(o);
    ResetPeak(o.server_pid);
  }
  std::vector<Row> rows = {Trickling(o), Parallel(o), Pipelined(o)};
  if (!o.token.empty())
    rows.push_back(OversizedChunked(o, o.token + "x", 401, o.chunked_mib));
  rows.push_back(OversizedChunked(o, o.token, 413, std::max(o.chunked_mib, o.limit_mib + 64)));
  if (o.server_pid > 0)
    rows.push_back(PeakMemory(o));
  if (packet)
    rows.push_back(*packet);

  bool all_ok = true;
  std::cout << "| caso | esperado | observado |\n|---|---|---|\n";
  for (const Row& row : rows) {
    std::cout << fmt::format("| {} | {} | {}{} |\n", row.name, row.expected, row.observed,
                             row.ok ? "" : " (FALHOU)");
    all_ok = all_ok && row.ok;
  }
  return all_ok ? 0 : 1;
}
