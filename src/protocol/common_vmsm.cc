#include "protocol/common_vmsm.h"

#include "protocol/reply_collection.h"
#include "protocol/result_codes.h"
#include "protocol/vmsm_commands.h"

namespace protocol {
namespace {

// Pauses between a query and its first read, and after writes the printer needs time to apply.
constexpr uint32_t kQueryPauseMs = 150;
constexpr uint32_t kQuickQueryPauseMs = 10;  // radio interface and sentinels
constexpr uint32_t kSwitchHalvesPauseMs = 500;
constexpr uint32_t kTearOffSettleMs = 500;
constexpr uint32_t kFactoryAckPauseMs = 300;
constexpr uint32_t kFactoryAckTotalMs = 5000;
constexpr uint32_t kSwitchReplyTotalMs = 2000;
constexpr uint32_t kBtPauseMs = 100;
constexpr uint32_t kBtHandheldPauseMs = 300;

constexpr int kInitSettingReads = 10;
constexpr size_t kBtReplyCapacity = 100;
// The printer's command buffer; a Bluetooth write must fit it whole.
constexpr size_t kBtCommandLimit = 100;

// The value bytes of a reply: from `from` up to the first 00h or the end of what is held.
std::string ValueText(const reply::Buffer& r, size_t from) {
  std::string text;
  for (size_t i = from; i < r.size() && r.At(i) != 0; ++i)
    text.push_back(static_cast<char>(r.At(i)));
  return text;
}

}  // namespace

CCommonVmsm::CCommonVmsm(CCommonUtil* util, platform::Clock& clock) : util_(util), clock_(clock) {}

CCommonVmsm::~CCommonVmsm() = default;

bool CCommonVmsm::LinkOpen() const { return util_ != nullptr && util_->dev().is_open(); }

Result CCommonVmsm::Fail(Result result) {
  if (util_ != nullptr) util_->dev().Close();
  return result;
}

bool CCommonVmsm::Send(const std::vector<uint8_t>& bytes) {
  const int written = util_->dev().Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
  return written >= 0 && static_cast<size_t>(written) == bytes.size();
}

Result CCommonVmsm::InitSetting() {
  // Sent even on a closed link: the write then fails and reports it.
  if (util_ == nullptr) return kResultNotOpen;
  const vmsm::Bytes command = vmsm::InitSettingCommand();
  if (!Send(command)) return Fail(kResultWriteFailed);
  clock_.Sleep(kQueryPauseMs);
  reply::Buffer r(100);
  if (!reply::CollectExactRead(util_->dev(), clock_, command, vmsm::kAckReplySize,
                               kInitSettingReads, r)) {
    return Fail(kResultNoReply);
  }
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kAckKind || r.At(2) != 0) {
    return Fail(kResultBadReply);
  }
  return kResultOk;
}

Result CCommonVmsm::EndSetting() {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::EndSettingCommand())) return Fail(kResultWriteFailed);
  // Nothing written in setting mode has an answer, this command included: a printer that closed
  // the connection took none of the writes after its close, although every one succeeded, and
  // one that closes now may have taken only part of this one and still be in setting mode.
  if (util_->dev().PeerClosed(devlink::CDev::kCloseNoticeMs)) return Fail(kResultWriteFailed);
  return kResultOk;
}

Result CCommonVmsm::ReadSwitch(uint8_t a) {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::ReadSwitchCommand(a))) return Fail(kResultWriteFailed);
  clock_.Sleep(kQueryPauseMs);
  reply::Buffer r(vmsm::kSwitchReplySize);
  if (!reply::CollectFixed(util_->dev(), clock_, vmsm::kSwitchReplySize, kSwitchReplyTotalMs, r)) {
    return Fail(kResultNoReply);
  }
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kSwitchKind || r.At(10) != 0) {
    return Fail(kResultBadReply);
  }
  vmsm::SwitchChars chars;
  for (size_t i = 0; i < chars.size(); ++i) chars[i] = static_cast<char>(r.At(2 + i));
  vmsm::DecodeSwitch(a, chars, settings_);
  return kResultOk;
}

Result CCommonVmsm::WriteSwitch(uint8_t a) {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::WriteSwitchHeader())) return Fail(kResultWriteFailed);
  clock_.Sleep(kSwitchHalvesPauseMs);
  if (!Send(vmsm::WriteSwitchBody(a, vmsm::EncodeSwitch(a, settings_)))) {
    return Fail(kResultWriteFailed);
  }
  return kResultOk;
}

Result CCommonVmsm::ReadSerial(uint8_t a) {
  if (!LinkOpen()) return kResultNotOpen;
  const vmsm::Bytes command = vmsm::ReadSerialCommand(a);
  if (!Send(command)) return Fail(kResultWriteFailed);
  clock_.Sleep(kQueryPauseMs);
  reply::Buffer r(reply::kNulReplyCapacity);
  if (reply::CollectNulTerminated(util_->dev(), clock_, command, 0, r) !=
      reply::NulReply::kComplete) {
    return Fail(kResultNoReply);
  }
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kSerialKind || r.At(2) != '0' + a ||
      r.At(3) != vmsm::kFieldSeparator) {
    return Fail(kResultBadReply);
  }
  // A reply that stops right after its header carries no value: it is short.
  if (!vmsm::DecodeSerialValue(a, ValueText(r, 4), settings_)) return Fail(kResultNoReply);
  return kResultOk;
}

Result CCommonVmsm::WriteSerial(uint8_t a) {
  if (!LinkOpen()) return kResultNotOpen;
  const std::string value = vmsm::SerialValueText(a, settings_);
  if (value.empty()) return kResultValueRefused;
  if (!Send(vmsm::WriteSerialHeader(a, value.size()))) return Fail(kResultWriteFailed);
  if (!Send(vmsm::Bytes(value.begin(), value.end()))) return Fail(kResultWriteFailed);
  return kResultOk;
}

Result CCommonVmsm::ReadTearOff() {
  if (!LinkOpen()) return kResultNotOpen;
  const vmsm::Bytes command = vmsm::ReadTearOffCommand();
  if (!Send(command)) return Fail(kResultWriteFailed);
  clock_.Sleep(kQueryPauseMs);
  // The two position bytes may be 00h, so the reply is taken by its length.
  reply::Buffer r(reply::kNulReplyCapacity);
  if (reply::CollectNulTerminated(util_->dev(), clock_, command, vmsm::kTearOffReplySize, r) !=
      reply::NulReply::kComplete) {
    return Fail(kResultNoReply);
  }
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kTearOffKind || r.At(2) != '0' ||
      r.At(3) != vmsm::kFieldSeparator) {
    return Fail(kResultBadReply);
  }
  settings_.CuttingPosition = static_cast<uint32_t>(r.At(5)) * 256 + r.At(4);
  return kResultOk;
}

Result CCommonVmsm::WriteTearOff() {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::WriteTearOffCommand(settings_.CuttingPosition))) return Fail(kResultWriteFailed);
  clock_.Sleep(kTearOffSettleMs);
  return kResultOk;
}

Result CCommonVmsm::ReadRfInterface() {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::ReadRfInterfaceCommand())) return Fail(kResultWriteFailed);
  clock_.Sleep(kQuickQueryPauseMs);
  reply::Buffer r(reply::kTimedReplyCapacity);
  reply::CollectTimed(util_->dev(), clock_, r);
  r.DropBefore(vmsm::kReplyMark, vmsm::kSwitchKind);
  const uint8_t c7 = r.At(8);
  const uint8_t c8 = r.At(9);
  // Printers without a radio choice answer oddly here; the link stays usable.
  if (r.At(0) != vmsm::kReplyMark || c7 == 0 || c8 == 0) return kResultRfMalformed;
  settings_.RfInterface = c7 != '0' ? 2 : (c8 != '0' ? 1 : 0);
  return kResultOk;
}

Result CCommonVmsm::WriteRfInterface() {
  if (!LinkOpen()) return kResultNotOpen;
  // Both halves must arrive whole: a part of a switch write would leave the printer waiting for
  // bytes that are never sent.
  if (!Send(vmsm::WriteSwitchHeader())) return Fail(kResultWriteFailed);
  if (!Send(vmsm::WriteRfInterfaceBody(settings_.RfInterface))) return Fail(kResultWriteFailed);
  return kResultOk;
}

Result CCommonVmsm::FactoryDefault() {
  if (!LinkOpen()) return kResultNotOpen;
  if (!Send(vmsm::FactoryDefaultBlock())) return Fail(kResultWriteFailed);
  clock_.Sleep(kFactoryAckPauseMs);
  reply::Buffer r(vmsm::kAckReplySize);
  if (!reply::CollectFixed(util_->dev(), clock_, vmsm::kAckReplySize, kFactoryAckTotalMs, r) ||
      r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kAckKind || r.At(2) != 0) {
    return Fail(kResultNoReply);
  }
  return kResultOk;
}

Result CCommonVmsm::ReadBtInfo(uint8_t kind) {
  if (!LinkOpen()) return kResultNotOpen;
  const vmsm::Bytes command = vmsm::ReadBtInfoCommand(kind);
  if (!Send(command)) return Fail(kResultWriteFailed);
  clock_.Sleep(util_->dev().handheld() ? kBtHandheldPauseMs : kBtPauseMs);
  reply::Buffer r(kBtReplyCapacity);
  // When no reply came the buffer is empty and fails the header test below.
  reply::CollectWholeRead(util_->dev(), clock_, command, r);
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kBtKind) return Fail(kResultNoReply);
  const uint8_t reply_kind = r.At(2);
  // An answer about another item than the one asked for is not ours to store.
  if (reply_kind != kind) return Fail(kResultBadReply);
  const std::string value = ValueText(r, 3);
  switch (reply_kind) {
    case vmsm::kBtConnMode:
      if (value.empty()) return Fail(kResultNoReply);
      settings_.BtConnMode = static_cast<uint8_t>(value[0]) - static_cast<uint32_t>('1');
      break;
    case vmsm::kBtSecurity:
      if (value.empty()) return Fail(kResultNoReply);
      settings_.BtSecurity = static_cast<uint8_t>(value[0]) - static_cast<uint32_t>('0');
      break;
    case vmsm::kBtName:
      settings_.BtName = value;
      break;
    case vmsm::kBtPin:
      settings_.BtPin = value;
      break;
    default:
      return Fail(kResultBadReply);
  }
  return kResultOk;
}

bool CCommonVmsm::BtTextWritable(const std::string& text, size_t max_bytes) {
  // The printer ends the PIN and the name at a line end; one inside either would shift the rest
  // of the command into the wrong field and leave the printer waiting for a closing line end.
  return text.size() <= max_bytes &&
         text.find(static_cast<char>(vmsm::kLineEnd)) == std::string::npos;
}

Result CCommonVmsm::WriteBtInfo() {
  if (!LinkOpen()) return kResultNotOpen;
  if (!BtTextWritable(settings_.BtPin, kMaxBtPinChars) ||
      !BtTextWritable(settings_.BtName, kMaxBtNameChars)) {
    return kResultValueRefused;
  }
  const vmsm::Bytes command = vmsm::WriteBtInfoCommand(settings_);
  if (command.size() > kBtCommandLimit) return kResultValueRefused;
  if (!Send(command)) return Fail(kResultWriteFailed);
  // It has no answer either, and it follows the end of setting mode, where a printer may have
  // closed the connection: the first write into a closed one still succeeds.
  if (util_->dev().PeerClosed(devlink::CDev::kCloseNoticeMs)) return Fail(kResultWriteFailed);
  return kResultOk;
}

Result CCommonVmsm::ReadSentinel(uint8_t t) {
  if (!LinkOpen()) return kResultNotOpen;
  if (t < 1 || t > kSentinelTracks) return kResultValueRefused;
  sentinel_reported_[t - 1] = false;
  if (!Send(vmsm::ReadSentinelCommand(t))) return Fail(kResultWriteFailed);
  clock_.Sleep(kQuickQueryPauseMs);
  reply::Buffer r(reply::kTimedReplyCapacity);
  // A reply cut short is ignored like a missing one: half a sentinel must not replace a whole.
  if (!reply::CollectTimed(util_->dev(), clock_, r)) return kResultOk;
  r.DropBefore(vmsm::kReplyMark, vmsm::kSentinelKind);
  // Any part that does not fit means the reply is not this track's sentinels (another track's
  // must not land here).
  if (r.At(0) != vmsm::kReplyMark || r.At(1) != vmsm::kSentinelKind || r.At(2) != '0' + t) {
    return kResultOk;
  }
  std::string start;
  std::string end;
  bool in_end = false;
  for (size_t i = 3; i < r.size() && r.At(i) != 0; ++i) {
    const uint8_t byte = r.At(i);
    if (!in_end && byte == vmsm::kFieldSeparator) {
      in_end = true;
      continue;
    }
    (in_end ? end : start).push_back(static_cast<char>(byte));
  }
  // The printer stores no more than this; a longer part is a garbled reply, and kept it would
  // make every later write of the settings stop at this track.
  if (start.size() > kMaxSentinelBytes || end.size() > kMaxSentinelBytes) return kResultOk;
  settings_.SentinelStart[t - 1] = start;
  settings_.SentinelEnd[t - 1] = end;
  sentinel_reported_[t - 1] = true;
  return kResultOk;
}

Result CCommonVmsm::WriteSentinel(uint8_t t) {
  if (!LinkOpen()) return kResultNotOpen;
  if (t < 1 || t > kSentinelTracks) return kResultValueRefused;
  const std::string& start = settings_.SentinelStart[t - 1];
  const std::string& end = settings_.SentinelEnd[t - 1];
  if (start.size() > kMaxSentinelBytes || end.size() > kMaxSentinelBytes) {
    return kResultValueRefused;
  }
  // The printer takes an end sentinel of no bytes as a single 00h.
  const vmsm::Bytes end_bytes =
      end.empty() ? vmsm::Bytes{0x00} : vmsm::Bytes(end.begin(), end.end());
  if (!Send(vmsm::WriteSentinelHeader(vmsm::kSentinelStartPart, t, start.size()))) {
    return Fail(kResultWriteFailed);
  }
  if (!start.empty() && !Send(vmsm::Bytes(start.begin(), start.end()))) {
    return Fail(kResultWriteFailed);
  }
  if (!Send(vmsm::WriteSentinelHeader(vmsm::kSentinelEndPart, t, end_bytes.size()))) {
    return Fail(kResultWriteFailed);
  }
  if (!Send(end_bytes)) return Fail(kResultWriteFailed);
  return kResultOk;
}
}  // namespace protocol
