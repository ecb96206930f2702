#include "protocol/common_util.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "protocol/reply_collection.h"
#include "protocol/result_codes.h"

namespace protocol {
namespace {

constexpr uint8_t kQueryCodePage[3] = {0x1D, 0x49, 0x45};   // GS I E
constexpr uint8_t kQueryModel[3] = {0x1D, 0x49, 0x43};      // GS I C
constexpr uint8_t kQueryVersion[3] = {0x1D, 0x49, 0x41};    // GS I A
constexpr uint8_t kQueryOpenCheck[3] = {0x1B, 0x4D, 0x49};  // ESC M I
constexpr uint8_t kQueryMaker[3] = {0x1D, 0x49, 0x42};      // GS I B

constexpr size_t kReplyBufferSize = 100;
constexpr size_t kVersionBufferSize = 40;
constexpr uint32_t kVersionReadWaitMs = 1;

// Reply wait: the first two empty reads are patience, every later one resends the query.
constexpr int kEmptyReadsBeforeResend = 2;
constexpr int kMaxResends = 10;
// A line that keeps delivering bytes without ever closing a reply (wrong baud rate on a chatty
// device) must not hold the program forever: reads that bring bytes but close no reply count.
constexpr int kMaxOpenReads = 100;
constexpr size_t kOpenCheckReplySize = 4;
// How much longer than the span of its resends a slow printer's late answers are waited for.
constexpr uint32_t kLateAnswerMarginMs = 500;

constexpr uint32_t kCodePagePauseMs = 100;
constexpr uint32_t kCodePagePauseHandheldMs = 300;
constexpr uint32_t kVersionDeadlineMs = 3000;
constexpr uint32_t kOpenCheckFirstPauseMs = 200;
constexpr uint32_t kOpenCheckRetryPauseMs = 500;
constexpr int kOpenCheckAttempts = 10;
constexpr uint8_t kOpenCheckHeader = 0x37;
constexpr uint8_t kOpenCheckKind = 0x80;

constexpr size_t kModelSearchSpan = 16;
constexpr char kModelName[] = "TMQ-D550";
constexpr size_t kModelNameLength = sizeof kModelName - 1;
constexpr size_t kModelHyphenAt = 3;
constexpr size_t kMakerNameLength = sizeof kMakerName - 1;

// Bytes up to the first NUL within [data, data + length).
std::string TextUpToNul(const uint8_t* data, size_t length) {
  const uint8_t* end = std::find(data, data + length, uint8_t{0});
  return std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(end - data));
}

// The reply without its header byte, up to its NUL.
std::string ReplyBody(const uint8_t* data, size_t length) {
  return length <= 1 ? std::string() : TextUpToNul(data + 1, length - 1);
}

}  // namespace

uint32_t FirmwareVersionNumber(const std::string& reply_text) {
  const std::string text = reply_text.substr(0, reply_text.find('\0'));
  const size_t length = text.size();
  const std::string tail = text.substr(length >= 2 ? length - 2 : 0);
  const std::string middle = text.substr(length >= 6 ? length - 6 : 0, 4);
  const std::string number_text = tail + middle;

  size_t i = 0;
  while (i < number_text.size() && std::isspace(static_cast<unsigned char>(number_text[i]))) ++i;
  bool negative = false;
  if (i < number_text.size() && (number_text[i] == '+' || number_text[i] == '-')) {
    negative = number_text[i] == '-';
    ++i;
  }
  uint32_t value = 0;  // at most six digits: no overflow
  for (; i < number_text.size() && std::isdigit(static_cast<unsigned char>(number_text[i])); ++i) {
    value = value * 10 + static_cast<uint32_t>(number_text[i] - '0');
  }
  // A negative number is no version at all; it must not pass for the newer generation.
  if (negative && value != 0) return kFirmwareOlder;
  return value < kFirmwareNewer ? kFirmwareOlder : kFirmwareNewer;
}

CCommonUtil::CCommonUtil(platform::Services& services, bool handheld)
    : services_(services), dev_(services, handheld) {}

CCommonUtil::~CCommonUtil() = default;

bool CCommonUtil::OpenLink() { return dev_.is_open() || dev_.Open(link_settings_) == 1; }

void CCommonUtil::CloseLink() {
  if (dev_.is_open()) dev_.Close();
}

void CCommonUtil::Tracef(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  services_.trace.Trace(text);
}

Result CCommonUtil::SendQuery(const uint8_t* query) {
  if (!dev_.is_open()) return kResultNotOpen;
  if (dev_.Write(query, 3) != 3) {
    dev_.Close();
    return kResultWriteFailed;
  }
  return kResultOk;
}

bool CCommonUtil::WaitReplyWithResend(const uint8_t* query, reply::Buffer& reply) {
  reply.Clear();
  reply::Joiner joiner(dev_, services_.clock, reply);
  int empty_reads = 0;
  int resends = 0;
  int open_reads = 0;
  const uint32_t start = services_.clock.TickCount();
  uint32_t last_resend = start;
  for (;;) {
    // Identification asks before setting mode is entered, so a stop (Ctrl-C, a time limit) may
    // end the wait for a silent or chattering printer at once.
    if (services_.clock.StopRequested()) {
      dev_.NoteStoppedWait();
      return false;
    }
    const size_t joined_before = reply.full() ? 0 : reply.size();  // a full buffer is dropped
    const reply::Joiner::Read read = joiner.ReadPiece(kReplyBufferSize);
    if (read == reply::Joiner::Read::kPending) continue;
    if (read == reply::Joiner::Read::kBytes) {
      // The replies this wait serves carry their text after a '_': bytes joined before a piece
      // that begins with one, and holding none themselves, were a stray piece of their own (the
      // printer's status bytes, line noise), not the reply's first part.
      if (reply.At(joined_before) == '_' && std::find(reply.data(), reply.data() + joined_before,
                                                      '_') == reply.data() + joined_before) {
        reply.DropFront(joined_before);
      }
      if (reply::EndsInNul(reply)) {
        // Only an answer with its text after the '_' is asked for again; a leftover status
        // reply ends the wait and its caller reads on.
        if (resends > 0 && reply.At(0) == '_') {
          SwallowLateAnswers(TextUpToNul(reply.data(), reply.size()), resends,
                             last_resend - start + kLateAnswerMarginMs);
        }
        return true;
      }
      // The rest may be on its way; a buffer full without a NUL holds no reply. The joined
      // bytes start at the buffer's start and zeros follow them, so bytes of a dropped piece
      // can never complete a later, shorter reply.
      if (reply.full()) joiner.Drop();
      if (++open_reads >= kMaxOpenReads) return false;
      continue;
    }
    // Quiet: a piece without its NUL is worth nothing, and the silence counts.
    joiner.Drop();
    ++empty_reads;
    if (empty_reads > kEmptyReadsBeforeResend) {
      dev_.Write(query, 3);
      last_resend = services_.clock.TickCount();
      if (++resends >= kMaxResends) return false;
    }
  }
}

void CCommonUtil::SwallowLateAnswers(const std::string& answer, int count, uint32_t within_ms) {
  reply::Buffer late(kReplyBufferSize);
  reply::Joiner joiner(dev_, services_.clock, late);
  const uint32_t start = services_.clock.TickCount();
  while (count > 0 && services_.clock.TickCount() - start < within_ms &&
         !services_.clock.StopRequested()) {
    const reply::Joiner::Read read = joiner.ReadPiece(kReplyBufferSize);
    if (read == reply::Joiner::Read::kPending) continue;
    const bool whole = read == reply::Joiner::Read::kBytes && reply::EndsInNul(late);
    // A copy still arriving is read on; anything else read (a copy, or what is not one) goes.
    if (read == reply::Joiner::Read::kBytes && !whole && !late.full()) continue;
    if (whole && TextUpToNul(late.data(), late.size()) == answer) --count;
    joiner.Drop();
  }
}

Result CCommonUtil::GetPrinterInfo(uint32_t kind) {
  refused_identity_.clear();
  refused_name_.clear();
  switch (kind) {
    case kCodePage:
      return QueryCodePage();
    case kModel:
      return QueryModel();
    case kFirmwareVersion:
      return QueryVersion();
    case kOpenCheck:
      return QueryOpenCheck();
    case kMaker:
      return QueryMaker();
    default:
      return kResultOk;  // no such query: nothing to do
  }
}

Result CCommonUtil::QueryCodePage() {
  const Result sent = SendQuery(kQueryCodePage);
  if (sent != kResultOk) return sent;
  services_.clock.Sleep(dev_.handheld() ? kCodePagePauseHandheldMs : kCodePagePauseMs);
  identity_.code_page_text.clear();
  reply::Buffer reply(kReplyBufferSize);
  if (WaitReplyWithResend(kQueryCodePage, reply)) {
    identity_.code_page_text += TextUpToNul(reply.data(), reply.size());
    Tracef("codepage %s", identity_.code_page_text.c_str());
  }
  // An empty text tells the caller that the printer did not answer.
  return kResultOk;
}

Result CCommonUtil::QueryModel() {
  const Result sent = SendQuery(kQueryModel);
  if (sent != kResultOk) return sent;
  identity_.model_name.clear();
  reply::Buffer reply(kReplyBufferSize);
  if (!WaitReplyWithResend(kQueryModel, reply)) {
    dev_.Close();
    return kResultNoReply;
  }
  Tracef("****KVN:g_Model %d %s", static_cast<int>(reply.size()),
         TextUpToNul(reply.data(), reply.size()).c_str());

  // Some printers still hold the answer to an earlier status query; the model follows it.
  static constexpr uint8_t kStaleReply[3] = {0x37, 0x20, 0x00};
  if (reply.size() == 3 && std::memcmp(reply.data(), kStaleReply, 3) == 0) {
    // The model joins its pieces too; whatever came is the reply, closed by a NUL or not.
    reply.Clear();
    reply::Joiner joiner(dev_, services_.clock, reply);
    for (;;) {
      const reply::Joiner::Read read = joiner.ReadPiece(kReplyBufferSize);
      if (read == reply::Joiner::Read::kQuiet) break;
      if (read == reply::Joiner::Read::kBytes && (reply::EndsInNul(reply) || reply.full())) break;
    }
    if (reply.empty()) {
      dev_.Close();
      return kResultNoReply;
    }
  }

  // The buffer holds kReplyBufferSize bytes, zeros after what was joined.
  identity_.model_code = MatchesModel(reply.data()) ? MODEL_TMQD550 : 0;
  if (identity_.model_code == 0) {
    RefuseIdentity(kModel, reply.data(), reply.size());
    dev_.Close();
    return kResultNotAccepted;
  }
  identity_.model_name = ReplyBody(reply.data(), reply.size());
  Tracef("Model str = %s", identity_.model_name.c_str());
  return kResultOk;
}

bool CCommonUtil::MatchesModel(const uint8_t* buffer) {
  // The buffer is kReplyBufferSize bytes, so the name after a '_' within the first 16 bytes is
  // always inside it; bytes the printer did not send are zeros and match nothing.
  size_t underscore = kModelSearchSpan;
  for (size_t i = 0; i < kModelSearchSpan && buffer[i] != 0x00; ++i) {
    if (buffer[i] == '_') {
      underscore = i;
      break;
    }
  }
  if (underscore == kModelSearchSpan) return false;
  for (size_t k = 0; k < kModelNameLength; ++k) {
    if (k == kModelHyphenAt) continue;  // printers differ in what stands between name and number
    if (buffer[underscore + 1 + k] != static_cast<uint8_t>(kModelName[k])) return false;
  }
  return true;
}

Result CCommonUtil::QueryVersion() {
  if (!dev_.is_open()) return kResultNotOpen;
  if (dev_.Write(kQueryVersion, 3) != 3) {
    Tracef("* Error : AddPtr : Failed to write Get Version GS I Version");
    dev_.Close();
    return kResultWriteFailed;
  }
  const uint32_t start = services_.clock.TickCount();
  uint8_t buffer[kVersionBufferSize] = {};
  size_t filled = 0;
  for (;;) {
    // Never ask for more than the space left: a reply longer than the buffer is cut, not
    // written past it.
    const int n = dev_.Read(buffer + filled, static_cast<uint32_t>(kVersionBufferSize - filled),
                            kVersionReadWaitMs);
    if (n > 0) filled += std::min(static_cast<size_t>(n), kVersionBufferSize - filled);
    if (filled > 0 && buffer[filled - 1] == 0x00) break;
    if (filled == kVersionBufferSize) break;
    // A stop ends the wait as its deadline would (identification comes before setting mode).
    if (services_.clock.TickCount() - start > kVersionDeadlineMs) break;
    if (services_.clock.StopRequested()) {
      dev_.NoteStoppedWait();
      break;
    }
  }
  if (filled == 0) {
    dev_.Close();
    return kResultNoReply;
  }
  // A reply cut at the buffer's end: its rest must not answer the next command.
  if (filled == kVersionBufferSize && buffer[filled - 1] != 0x00) {
    reply::DiscardRestOfReply(dev_, services_.clock);
  }
  const std::string reply = TextUpToNul(buffer, filled);
  Tracef("****Go g_Getver %d %s", static_cast<int>(filled), reply.c_str());
  identity_.firmware_version_text = ReplyBody(buffer, filled);
  identity_.firmware_version = FirmwareVersionNumber(reply);
  Tracef("****KVN:g_Getver %d %s", static_cast<int>(identity_.firmware_version),
         identity_.firmware_version_text.c_str());
  return kResultOk;
}

Result CCommonUtil::QueryOpenCheck() {
  const Result sent = SendQuery(kQueryOpenCheck);
  if (sent != kResultOk) {
    if (sent == kResultWriteFailed) Tracef("*KVN:chk_OpenCheck: Failed to write MSR Set value");
    return sent;
  }
  Tracef("* start ESCMI : %d", static_cast<int>(services_.clock.TickCount()));
  services_.clock.Sleep(kOpenCheckFirstPauseMs);
  reply::Buffer reply(kReplyBufferSize);
  reply::Joiner joiner(dev_, services_.clock, reply);
  bool framed = false;
  for (int attempt = 0; attempt < kOpenCheckAttempts; ++attempt) {
    joiner.Drop();
    // Pieces join until four bytes are held or the line goes quiet.
    reply::Joiner::Read read;
    do {
      read = joiner.ReadPiece(kReplyBufferSize);
    } while (read != reply::Joiner::Read::kQuiet && reply.size() < kOpenCheckReplySize);
    if (reply.size() == kOpenCheckReplySize && reply.At(3) == 0x00) {
      framed = true;
      break;
    }
    dev_.Write(kQueryOpenCheck, 3);
    services_.clock.Sleep(kOpenCheckRetryPauseMs);
  }
  if (!framed && reply.size() != kOpenCheckReplySize) {
    Tracef("Timeout Read Check ID");
    Tracef("*KVN:chk_OpenCheck: Failed to Read MSR Set value = %d", static_cast<int>(reply.size()));
    dev_.Close();
    return kResultNoReply;
  }
  const uint8_t* buffer = reply.data();
  if (buffer[0] != kOpenCheckHeader) {
    Tracef("KVN:chk_OpenCheck: 2");
    Tracef("Read Error !!!!!");
    dev_.Close();
    return kResultBadReply;
  }
  if (buffer[1] != kOpenCheckKind || buffer[3] != 0x00) {
    Tracef("KVN:chk_OpenCheck: 1");
    Tracef("Read Error !!!!!");
    dev_.Close();
    return kResultBadReply;
  }
  identity_.open_check_value = buffer[2];
  Tracef("OK ID Data = %02x ", buffer[2]);
  Tracef("* End : %d", static_cast<int>(services_.clock.TickCount()));
  return kResultOk;
}

Result CCommonUtil::QueryMaker() {
  const Result sent = SendQuery(kQueryMaker);
  if (sent != kResultOk) return sent;
  reply::Buffer joined(kReplyBufferSize);
  if (!WaitReplyWithResend(kQueryMaker, joined)) {
    dev_.Close();
    return kResultNoReply;
  }
  const std::string reply = TextUpToNul(joined.data(), joined.size());
  Tracef("****Go Manufacturer %d %s", static_cast<int>(joined.size()), reply.c_str());
  Tracef("Manufacturer str = %s", reply.c_str());

  const size_t underscore = reply.find('_');
  const bool named = underscore != std::string::npos &&
                     reply.compare(underscore + 1, kMakerNameLength, kMakerName) == 0 &&
                     reply.size() - underscore - 1 >= kMakerNameLength;
  const bool accepted = named && ReplyBody(joined.data(), joined.size()).size() == kMakerNameLength;
  if (!accepted) {
    RefuseIdentity(kMaker, joined.data(), joined.size());
    dev_.Close();
    return kResultNotAccepted;
  }
  return kResultOk;
}

void CCommonUtil::RefuseIdentity(QueryKind kind, const uint8_t* reply, size_t length) {
  // The name follows the first '_' of the reply; a reply without one is shown whole.
  std::string text = TextUpToNul(reply, length);
  if (const size_t underscore = text.find('_'); underscore != std::string::npos) {
    text.erase(0, underscore + 1);
  }
  // A reply is untrusted bytes: only printable ones reach a message box, and not too many.
  constexpr size_t kShownLength = 32;
  std::string name;
  for (const char c : text) {
    if (name.size() == kShownLength) break;
    if (c >= 0x20 && c <= 0x7E) name += c;
  }
  refused_name_ = name;
  if (kind == kModel) {
    refused_identity_ =
        name.empty() ? "The printer gave no model name." : "The printer says it is a " + name + ".";
  } else {
    refused_identity_ = name.empty() ? "The printer gave no maker name."
                                     : "The printer says its maker is " + name + ".";
  }
}
}  // namespace protocol
