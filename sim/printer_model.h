#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/hex.h"
#include "sim/printer_state.h"

namespace sim {

// Firmware version texts of the two generations the host tells apart. The host reads the last two
// characters followed by the four that start six before the end: 101001 and 160902.
inline constexpr char kOlderFirmware[] = "TMQ-D550 Ver1.01 100110";
inline constexpr char kNewerFirmware[] = "TMQ-D550 Ver1.60 090216";

// Every command the printer answers or acts on; faults can target one kind.
enum class Command {
  kCodePage,
  kModel,
  kVersion,
  kMaker,
  kOpenCheck,
  kSettingIn,
  kSettingOut,
  kReadSwitch,
  kWriteSwitch,
  kReadSerial,
  kWriteSerial,
  kReadTearOff,
  kWriteTearOff,
  kReadBt,
  kWriteBt,
  kReadSentinel,
  kWriteSentinel,
  // NV graphics (GS ( L). Only the key code list is answered; the others can still be named.
  kNvKeys,
  kNvDeleteAll,
  kNvDelete,
  kNvDefine,
  kNvPrint,
};
// Short names used on printer-sim's command line ("model", "open-check", ...).
const char* CommandName(Command command);
std::optional<Command> CommandFromName(std::string_view name);
std::string AllCommandNames();  // comma separated, for usage texts

struct PrinterConfig {
  std::string model = "TMQ-D550";
  std::string firmware = kNewerFirmware;
  std::string maker = "KORVANE";
  std::string code_page = "PC437";
  uint8_t open_check_value = 0x06;  // the MSR setting the open check reports
  uint32_t reply_delay_ms = 5;      // a real printer answers within a few milliseconds
  // A strict printer ignores GS ( E writes outside setting mode; the default accepts them, with a
  // note in the traffic log, because hosts that forget the bracket are common and harmless.
  bool strict_setting_mode = false;
  // Key codes per block of the key code list; a longer list goes out in blocks, each after the
  // host's ACK. The default sends any list the host can store (254 images) in two blocks at most.
  uint32_t nv_keys_per_block = 127;
};

// What happened to NV graphics, for whoever shows them (printer-sim's --nv-dir). `image` is valid
// during the call only: the stored image for kDefined, the image as printed (scaled) for kPrinted,
// nullptr for kDeleted (delete all reports each image it deleted).
struct NvEvent {
  enum class Kind { kDefined, kDeleted, kPrinted };
  Kind kind;
  NvKeyCode key_code;
  const NvImage* image = nullptr;
};

// Misbehaviour to inject. Delay, split and wrong header apply to the commands in `only` (every
// command when it is empty).
struct Faults {
  bool silent = false;                       // answers nothing at all
  std::set<Command> silent_for;              // answers nothing to these commands
  uint32_t extra_delay_ms = 0;               // every reply comes this much later
  uint32_t split_pieces = 1;                 // each reply leaves in this many pieces ...
  uint32_t split_gap_ms = 0;                 // ... this far apart
  bool wrong_header = false;                 // first reply byte changed
  bool stale_model_reply = false;            // a leftover 37 20 00 goes out before the model reply
  std::optional<uint64_t> drop_after_bytes;  // the connection dies after this many received bytes
  std::set<Command> only;

  bool Affects(Command command) const { return only.empty() || only.count(command) != 0; }
};

class PrinterModel;

// One command family (identification, memory switches, Bluetooth, sentinels...). The model offers
// the unparsed bytes to each family in turn.
class CommandFamily {
 public:
  enum class Status { kNotMine, kNeedMore, kDone };
  struct Outcome {
    Status status;
    size_t consumed = 0;  // with kDone: bytes taken (at least 1)
    // With kNeedMore: the whole command's size once the family knows it. The model keeps
    // buffering up to this many bytes, so a long command (an image) is not cut up as garbage.
    size_t needed = 0;
  };

  virtual ~CommandFamily() = default;
  // `bytes` is never empty. kNotMine: the bytes do not start a command of this family. kNeedMore:
  // they may, but the command is not complete yet. kDone: a whole command was taken and acted on
  // (replies queued through `printer`).
  virtual Outcome Parse(std::span<const uint8_t> bytes, PrinterModel& printer) = 0;
  // A new connection: an exchange the family was in the middle of is over.
  virtual void OnConnect() {}
};

// The virtual TMQ-D550 as the host sees it: bytes in, replies out, each reply due at a time.
// Time is whatever the caller says it is (virtual in tests, real in printer-sim).
class PrinterModel {
 public:
  // A line of the traffic log: when, and what ("<- 1D 49 43", "-> 5F 54 ...", "note ...").
  using LogSink = std::function<void(uint64_t now_ms, std::string_view line)>;
  using NvSink = std::function<void(const NvEvent& event)>;

  explicit PrinterModel(PrinterConfig config = {});
  ~PrinterModel();
  PrinterModel(const PrinterModel&) = delete;
  PrinterModel& operator=(const PrinterModel&) = delete;

  // Bytes from the host, received at `now_ms`. Commands may arrive split across calls.
  void Receive(std::span<const uint8_t> bytes, uint64_t now_ms);
  // Bytes of the first reply piece that is due by `now_ms`, at most `max`. Separately sent pieces
  // never merge in one call, like separate transfers on the wire.
  std::vector<uint8_t> TakeDue(uint64_t now_ms, size_t max);
  // When the next queued piece becomes due; nullopt when nothing is queued.
  std::optional<uint64_t> NextDueMs() const;
  // Forgets replies already due (the host purged its receive buffer).
  void DiscardDue(uint64_t now_ms);
  // A new connection: half-received commands, queued replies and the drop counter start afresh.
  void OnConnect(uint64_t now_ms);
  // True once the drop fault has fired on this connection; nothing more is taken or answered.
  bool Dropped() const { return dropped_; }

  PrinterConfig& config() { return config_; }
  const PrinterConfig& config() const { return config_; }
  Faults& faults() { return faults_; }
  PrinterState& state() { return state_; }
  const PrinterState& state() const { return state_; }
  // Counts changes of the stored state, so a server knows when to save.
  uint64_t state_generation() const { return state_generation_; }
  // True when the firmware text classifies as the newer generation (which has the tear-off
  // position).
  bool NewerFirmware() const;

  void SetLogSink(LogSink sink) { log_sink_ = std::move(sink); }
  void SetNvSink(NvSink sink) { nv_sink_ = std::move(sink); }
  // The latest notes (skipped bytes, refused writes, silences), oldest first; at most kMaxNotes.
  const std::deque<std::string>& notes() const { return notes_; }
  static constexpr size_t kMaxNotes = 200;

  // For the command families.
  void QueueReply(Command command, std::vector<uint8_t> bytes);
  void Note(std::string text);
  // A connection made or closed: in the log as a note, but not kept, so that a printer serving
  // thousands of connections holds no more than one that served a few.
  void NoteConnection(std::string_view text);
  void StateChanged() { ++state_generation_; }
  void ReportNv(const NvEvent& event) {
    if (nv_sink_) nv_sink_(event);
  }
  uint64_t now_ms() const { return now_ms_; }

 private:
  struct Piece {
    uint64_t due_ms;
    std::vector<uint8_t> bytes;
  };
  void QueuePiece(uint64_t due_ms, std::vector<uint8_t> bytes);
  void ParseBuffered();
  void Log(std::string_view line);

  PrinterConfig config_;
  Faults faults_;
  PrinterState state_;
  uint64_t state_generation_ = 0;
  std::vector<std::unique_ptr<CommandFamily>> families_;
  std::vector<uint8_t> input_;  // received, not yet parsed
  std::deque<Piece> queue_;
  uint64_t now_ms_ = 0;
  uint64_t received_on_connection_ = 0;
  bool dropped_ = false;
  LogSink log_sink_;
  NvSink nv_sink_;
  std::deque<std::string> notes_;
};

using platform::HexBytes;

}  // namespace sim
