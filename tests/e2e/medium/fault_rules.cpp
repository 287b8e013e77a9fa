// Fault rules of the test medium: parsing, planning reads, and the counts report.
#include "tests/e2e/medium/fault_rules.h"

#include <algorithm>
#include <sstream>

namespace {

// Parses a whole unsigned decimal number. Returns false on anything else.
bool parseNumber(const std::string& text, std::uint64_t& value) {
  if (text.empty() || text.size() > 19) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return true;
}

// Parses a mode word. Returns false when it names no mode.
bool parseMode(const std::string& word, FaultMode& mode) {
  if (word == "fail")
    mode = FaultMode::kFail;
  else if (word == "eio")
    mode = FaultMode::kEio;
  else if (word == "flaky")
    mode = FaultMode::kFlaky;
  else if (word == "slow")
    mode = FaultMode::kSlow;
  else if (word == "noopen")
    mode = FaultMode::kNoOpen;
  else if (word == "store")
    mode = FaultMode::kStore;
  else
    return false;
  return true;
}

const char* modeName(FaultMode mode) {
  switch (mode) {
    case FaultMode::kFail:
      return "fail";
    case FaultMode::kEio:
      return "eio";
    case FaultMode::kFlaky:
      return "flaky";
    case FaultMode::kSlow:
      return "slow";
    case FaultMode::kNoOpen:
      return "noopen";
    case FaultMode::kStore:
      return "store";
  }
  return "?";
}

// Cuts the last blank-separated word off `line` into `word`. Returns false when none is left.
bool cutLastWord(std::string& line, std::string& word) {
  std::size_t end = line.find_last_not_of(" \t");
  if (end == std::string::npos) return false;
  std::size_t start = line.find_last_of(" \t", end);
  start = (start == std::string::npos) ? 0 : start + 1;
  word = line.substr(start, end + 1 - start);
  line.erase(start);
  return true;
}

// Parses one rule line (FILE FIRST LAST MODE N). Returns false when it is malformed.
bool parseRuleLine(std::string line, FaultRule& rule) {
  std::string words[4];
  for (int i = 3; i >= 0; --i) {
    if (!cutLastWord(line, words[i])) return false;
  }
  std::size_t end = line.find_last_not_of(" \t");
  std::size_t start = line.find_first_not_of(" \t");
  if (end == std::string::npos) return false;
  rule.file = line.substr(start, end + 1 - start);
  if (!rule.file.empty() && rule.file[0] == '/') rule.file.erase(0, 1);
  if (!parseNumber(words[0], rule.first) || !parseNumber(words[1], rule.last)) return false;
  if (!parseMode(words[2], rule.mode) || !parseNumber(words[3], rule.amount)) return false;
  if (rule.mode == FaultMode::kNoOpen) rule.first = rule.last = 0;
  if (rule.mode == FaultMode::kStore && rule.amount > 255) return false;
  if (rule.last < rule.first || rule.last - rule.first >= kMaxRuleBytes) return false;
  rule.reads.assign(rule.last - rule.first + 1, 0);
  rule.starts.assign(rule.last - rule.first + 1, 0);
  return true;
}

}  // namespace

bool parseRules(std::istream& in, std::vector<FaultRule>& rules, std::string& error) {
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    FaultRule rule;
    if (!parseRuleLine(line, rule)) {
      error = "bad rule on line " + std::to_string(number) + ": " + line;
      return false;
    }
    rules.push_back(std::move(rule));
  }
  return true;
}

ReadPlan planRead(std::vector<FaultRule>& rules, const std::string& file, std::uint64_t offset,
                  std::uint64_t size, std::uint64_t fileSize) {
  ReadPlan plan;
  if (offset >= fileSize || size == 0) return plan;
  std::uint64_t end = std::min(fileSize - offset, size) + offset;  // exclusive
  std::uint64_t firstBad = end;
  bool failsWhole = false;
  for (FaultRule& rule : rules) {
    if (rule.file != file || rule.mode == FaultMode::kNoOpen) continue;
    if (rule.last < offset || rule.first >= end) continue;
    if (rule.mode == FaultMode::kSlow) plan.delayMs += rule.amount;
    if (offset >= rule.first) ++rule.starts[offset - rule.first];
    std::uint64_t from = std::max(rule.first, offset);
    std::uint64_t to = std::min(rule.last, end - 1);
    for (std::uint64_t byte = from; byte <= to; ++byte) {
      std::uint32_t& count = rule.reads[byte - rule.first];
      ++count;
      bool failing = rule.mode == FaultMode::kFail || rule.mode == FaultMode::kEio ||
                     (rule.mode == FaultMode::kFlaky && count <= rule.amount);
      if (failing) firstBad = std::min(firstBad, byte);
    }
    if (rule.mode == FaultMode::kEio) failsWhole = true;
  }
  plan.fails = firstBad == offset || failsWhole;
  plan.deliver = plan.fails ? 0 : firstBad - offset;
  return plan;
}

std::uint64_t applyStores(const std::vector<FaultRule>& rules, const std::string& file,
                          std::uint64_t offset, char* data, std::uint64_t size) {
  std::uint64_t replaced = 0;
  for (const FaultRule& rule : rules) {
    if (rule.mode != FaultMode::kStore || rule.file != file || size == 0) continue;
    if (rule.last < offset || rule.first >= offset + size) continue;
    std::uint64_t from = std::max(rule.first, offset);
    std::uint64_t to = std::min(rule.last, offset + size - 1);
    for (std::uint64_t byte = from; byte <= to; ++byte) {
      data[byte - offset] = static_cast<char>(rule.amount);
      ++replaced;
    }
  }
  return replaced;
}

bool refusesOpen(const std::vector<FaultRule>& rules, const std::string& file) {
  return std::any_of(rules.begin(), rules.end(), [&](const FaultRule& rule) {
    return rule.mode == FaultMode::kNoOpen && rule.file == file;
  });
}

void countFileRead(std::map<std::string, FileReads>& files, const std::string& file,
                   const ReadPlan& plan) {
  FileReads& counts = files[file];
  ++counts.reads;
  if (plan.fails) ++counts.failed;
}

std::string countsReport(const std::vector<FaultRule>& rules,
                         const std::map<std::string, FileReads>& files,
                         std::uint64_t refusedWrites) {
  std::ostringstream out;
  out << "refused " << refusedWrites << "\n";
  for (const FaultRule& rule : rules) {
    out << "rule " << rule.first << " " << rule.last << " " << modeName(rule.mode) << " "
        << rule.amount << " " << rule.file << "\n";
    if (rule.mode == FaultMode::kNoOpen) continue;
    for (std::size_t i = 0; i < rule.reads.size(); ++i) {
      out << "byte " << rule.first + i << " " << rule.reads[i] << " " << rule.file << "\n";
    }
    for (std::size_t i = 0; i < rule.starts.size(); ++i) {
      out << "start " << rule.first + i << " " << rule.starts[i] << " " << rule.file << "\n";
    }
  }
  for (const auto& [file, counts] : files) {
    out << "file " << counts.reads << " " << counts.failed << " " << file << "\n";
  }
  return out.str();
}
