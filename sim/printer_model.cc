#include "sim/printer_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "sim/bluetooth_commands.h"
#include "sim/identification_commands.h"
#include "sim/nv_graphics_commands.h"
#include "sim/sentinel_commands.h"
#include "sim/switch_commands.h"

namespace sim {
namespace {

struct CommandNameRow {
  Command command;
  const char* name;
};
constexpr CommandNameRow kCommandNames[] = {
    {Command::kCodePage, "code-page"},
    {Command::kModel, "model"},
    {Command::kVersion, "version"},
    {Command::kMaker, "maker"},
    {Command::kOpenCheck, "open-check"},
    {Command::kSettingIn, "setting-in"},
    {Command::kSettingOut, "setting-out"},
    {Command::kReadSwitch, "read-switch"},
    {Command::kWriteSwitch, "write-switch"},
    {Command::kReadSerial, "read-serial"},
    {Command::kWriteSerial, "write-serial"},
    {Command::kReadTearOff, "read-tear-off"},
    {Command::kWriteTearOff, "write-tear-off"},
    {Command::kReadBt, "read-bt"},
    {Command::kWriteBt, "write-bt"},
    {Command::kReadSentinel, "read-sentinel"},
    {Command::kWriteSentinel, "write-sentinel"},
    {Command::kNvKeys, "nv-keys"},
    {Command::kNvDeleteAll, "nv-delete-all"},
    {Command::kNvDelete, "nv-delete"},
    {Command::kNvDefine, "nv-define"},
    {Command::kNvPrint, "nv-print"},
};

// A command that never completes must not hold the parser forever: past this many buffered bytes
// (or the size a family says its command has, whichever is more) the oldest byte is given up as
// garbage.
constexpr size_t kMaxBufferedInput = 4096;

// The stale acknowledgement some printers leave behind before answering the model query.
const std::vector<uint8_t> kStaleReply = {0x37, 0x20, 0x00};

}  // namespace

const char* CommandName(Command command) {
  for (const auto& row : kCommandNames) {
    if (row.command == command) return row.name;
  }
  return "?";
}

std::optional<Command> CommandFromName(std::string_view name) {
  for (const auto& row : kCommandNames) {
    if (name == row.name) return row.command;
  }
  return std::nullopt;
}

std::string AllCommandNames() {
  std::string names;
  for (const auto& row : kCommandNames) {
    if (!names.empty()) names += ", ";
    names += row.name;
  }
  return names;
}

PrinterModel::PrinterModel(PrinterConfig config)
    : config_(std::move(config)), state_(FactoryState(config_.model)) {
  families_.push_back(std::make_unique<IdentificationCommands>());
  families_.push_back(std::make_unique<SwitchCommands>());
  families_.push_back(std::make_unique<BluetoothCommands>());
  families_.push_back(std::make_unique<SentinelCommands>());
  families_.push_back(std::make_unique<NvGraphicsCommands>());
}

PrinterModel::~PrinterModel() = default;

bool PrinterModel::NewerFirmware() const {
  // The same reading the host applies: last two characters, then the four starting six before the
  // end, as a decimal number.
  const std::string text = "_" + config_.firmware;
  const size_t n = text.size();
  const std::string last_two = text.substr(n >= 2 ? n - 2 : 0);
  const std::string four = text.substr(n >= 6 ? n - 6 : 0, 4);
  const unsigned long number = std::strtoul((last_two + four).c_str(), nullptr, 10);
  return number >= 160902;
}

void PrinterModel::Log(std::string_view line) {
  if (log_sink_) log_sink_(now_ms_, line);
}

void PrinterModel::Note(std::string text) {
  Log("note " + text);
  notes_.push_back(std::move(text));
  while (notes_.size() > kMaxNotes) notes_.pop_front();
}

void PrinterModel::NoteConnection(std::string_view text) { Log("note " + std::string(text)); }

void PrinterModel::OnConnect(uint64_t now_ms) {
  now_ms_ = std::max(now_ms_, now_ms);
  input_.clear();
  queue_.clear();
  received_on_connection_ = 0;
  dropped_ = false;
  for (auto& family : families_) family->OnConnect();
}

void PrinterModel::Receive(std::span<const uint8_t> bytes, uint64_t now_ms) {
  now_ms_ = std::max(now_ms_, now_ms);
  if (dropped_ || bytes.empty()) return;
  size_t take = bytes.size();
  if (faults_.drop_after_bytes) {
    const uint64_t left = *faults_.drop_after_bytes > received_on_connection_
                              ? *faults_.drop_after_bytes - received_on_connection_
                              : 0;
    take = static_cast<size_t>(std::min<uint64_t>(take, left));
  }
  const auto taken = bytes.first(take);
  received_on_connection_ += take;
  if (!taken.empty()) {
    Log("<- " + HexBytes(taken));
    input_.insert(input_.end(), taken.begin(), taken.end());
    ParseBuffered();
  }
  if (faults_.drop_after_bytes && received_on_connection_ >= *faults_.drop_after_bytes) {
    dropped_ = true;
    queue_.clear();
    input_.clear();
    Note("connection dropped after " + std::to_string(received_on_connection_) + " bytes");
  }
}

void PrinterModel::ParseBuffered() {
  std::vector<uint8_t> skipped;
  auto flush_skipped = [&] {
    if (skipped.empty()) return;
    Note("skipped " + std::to_string(skipped.size()) + " unknown byte(s): " + HexBytes(skipped));
    skipped.clear();
  };
  size_t pos = 0;
  while (pos < input_.size()) {
    const std::span<const uint8_t> rest(input_.data() + pos, input_.size() - pos);
    bool need_more = false;
    size_t needed = 0;
    size_t consumed = 0;
    for (auto& family : families_) {
      const CommandFamily::Outcome outcome = family->Parse(rest, *this);
      if (outcome.status == CommandFamily::Status::kDone) {
        consumed = std::clamp<size_t>(outcome.consumed, 1, rest.size());
        break;
      }
      if (outcome.status == CommandFamily::Status::kNeedMore) {
        need_more = true;
        needed = std::max(needed, outcome.needed);
      }
    }
    if (consumed > 0) {
      flush_skipped();
      pos += consumed;
      continue;
    }
    if (need_more && rest.size() < std::max(kMaxBufferedInput, needed)) break;
    // A NUL is what hosts send to probe the line, and a printer ignores it; anything else nobody
    // claims is garbage and noted. Either way one byte goes and parsing resumes at the next.
    if (rest[0] != 0x00) {
      skipped.push_back(rest[0]);
    } else {
      flush_skipped();
    }
    ++pos;
  }
  flush_skipped();
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(pos));
}

void PrinterModel::QueuePiece(uint64_t due_ms, std::vector<uint8_t> bytes) {
  // The line is first in, first out: a reply never overtakes one queued before it.
  if (!queue_.empty()) due_ms = std::max(due_ms, queue_.back().due_ms);
  queue_.push_back({due_ms, std::move(bytes)});
}

void PrinterModel::QueueReply(Command command, std::vector<uint8_t> bytes) {
  if (dropped_) return;
  if (faults_.silent || faults_.silent_for.count(command) != 0) {
    Note(std::string("silent: no reply to ") + CommandName(command));
    return;
  }
  uint64_t due = now_ms_ + config_.reply_delay_ms;
  const bool affected = faults_.Affects(command);
  if (affected) due += faults_.extra_delay_ms;
  if (affected && faults_.wrong_header && !bytes.empty())
    bytes[0] = static_cast<uint8_t>(bytes[0] + 1);
  if (command == Command::kModel && faults_.stale_model_reply) {
    QueuePiece(due, kStaleReply);
    due += faults_.split_gap_ms;
  }
  const size_t pieces =
      affected ? std::clamp<size_t>(faults_.split_pieces, 1, std::max<size_t>(bytes.size(), 1)) : 1;
  const size_t base = bytes.size() / pieces;
  const size_t extra = bytes.size() % pieces;
  size_t start = 0;
  for (size_t i = 0; i < pieces; ++i) {
    const size_t len = base + (i < extra ? 1 : 0);
    QueuePiece(due + i * (affected ? faults_.split_gap_ms : 0),
               std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                    bytes.begin() + static_cast<std::ptrdiff_t>(start + len)));
    start += len;
  }
}

std::vector<uint8_t> PrinterModel::TakeDue(uint64_t now_ms, size_t max) {
  now_ms_ = std::max(now_ms_, now_ms);
  std::vector<uint8_t> out;
  if (dropped_ || queue_.empty() || max == 0 || queue_.front().due_ms > now_ms) return out;
  Piece& front = queue_.front();
  const size_t n = std::min(max, front.bytes.size());
  out.assign(front.bytes.begin(), front.bytes.begin() + static_cast<std::ptrdiff_t>(n));
  front.bytes.erase(front.bytes.begin(), front.bytes.begin() + static_cast<std::ptrdiff_t>(n));
  if (front.bytes.empty()) queue_.pop_front();
  Log("-> " + HexBytes(out));
  return out;
}

std::optional<uint64_t> PrinterModel::NextDueMs() const {
  if (dropped_ || queue_.empty()) return std::nullopt;
  return queue_.front().due_ms;
}

void PrinterModel::DiscardDue(uint64_t now_ms) {
  while (!queue_.empty() && queue_.front().due_ms <= now_ms) queue_.pop_front();
}

PrinterState FactoryState(const std::string& model_name) {
  PrinterState state;
  for (uint8_t number : kKnownSwitches) state.switches[number] = 0;
  state.switches[1] = 0b00001100;
  state.switches[3] = 0b00000001;
  state.switches[5] = 0b00001111;
  state.switches[6] = 0b00001010;
  state.switches[7] = 0b01110000;
  state.switches[kRadioSwitch] = 0b00000001;
  state.serial = {"115200", "0", "0", "8"};
  state.bt_security = "1";
  state.bt_conn_mode = "2";
  state.bt_pin = "4862";
  state.bt_name = model_name;
  for (int t = 0; t < 3; ++t) {
    state.sentinel_start[t] = "START" + std::to_string(t + 1);
    state.sentinel_end[t] = "END" + std::to_string(t + 1);
  }
  return state;
}

}  // namespace sim
