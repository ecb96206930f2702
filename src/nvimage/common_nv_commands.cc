// The NV graphics commands of CCommonNv: what they write, and how the key code list is read block
// by block.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "link/cdev.h"
#include "nvimage/common_nv.h"
#include "nvimage/nv_commands.h"
#include "protocol/reply_collection.h"
#include "protocol/result_codes.h"

namespace nv {
namespace {

// The printer needs this long after the query (and after each ACK) before a block is readable.
constexpr uint32_t kBlockPauseMs = 150;
constexpr uint32_t kBlockReadSize = 255;
// The first two reads that find nothing are patience; every later one asks again.
constexpr int kQuietReadsBeforeResend = 2;
constexpr int kMaxResends = 10;
// Noise before the block's header is skipped up to here.
constexpr size_t kStartSearchEnd = 250;
// One block as we hold it: room for noise, the header, every key code there can be (two
// characters of 95 each) and the closing 00h. A block that fills it without its 00h is no list:
// taken as one, it would hide codes the printer holds, and a download could overwrite them.
constexpr size_t kMaxKeyCodes = 95 * 95;
constexpr size_t kBlockCapacity = kStartSearchEnd + kBlockCodesOffset + 2 * kMaxKeyCodes + 1;
// More blocks than any printer's NV memory could fill: a printer that keeps saying "more" past
// this is answered with CAN instead of holding the program forever.
constexpr int kMaxBlocks = 256;
// Define commands go out in pieces the link's buffers take whole.
constexpr size_t kDownloadPieceSize = 4096;

// Answers to queries sent again, left on the link, would pass for the next block or the reply to
// the next command (a deleted image listed again, a maker name). How long past the printer's own
// delay a late answer is waited for, and at most in all.
constexpr uint32_t kLateAnswerMarginMs = 500;
constexpr uint32_t kLateAnswerLimitMs = 8000;
constexpr uint32_t kLatePollMs = 10;

// Reads and drops what arrives until `until` (a tick count); a link that fails ends it.
void DiscardUntil(devlink::CDev& dev, platform::Clock& clock, uint32_t until) {
  std::array<uint8_t, kBlockReadSize> chunk{};
  while (static_cast<int32_t>(until - clock.TickCount()) > 0 && !clock.StopRequested()) {
    const int got = dev.Read(chunk.data(), kBlockReadSize, protocol::reply::kReadWaitMs);
    if (got < 0) return;
    if (got == 0) clock.Sleep(kLatePollMs);
  }
}

// Gathers one block into `block` (emptied first): appends what arrives until a 00h is stored or
// the block is full. A read that finds nothing drops what was held, since a block is only
// trusted whole; once the printer has been quiet twice, and for as long as it took over a block
// before, each quiet read resends the query, and after kMaxResends the block is left as it is
// (empty). A stop request (the user's Cancel or Ctrl-C, a time limit) ends the wait the same way.
void CollectBlock(devlink::CDev& dev, platform::Clock& clock, protocol::reply::Buffer& block,
                  KeyListPace& pace) {
  block.Clear();
  std::array<uint8_t, kBlockReadSize> chunk{};
  int quiet_reads = 0;
  while (pace.resends < kMaxResends) {
    if (clock.StopRequested()) {
      dev.NoteStoppedWait();
      block.Clear();
      return;
    }
    const int got = dev.Read(chunk.data(), kBlockReadSize, protocol::reply::kReadWaitMs);
    if (got > 0) {
      const size_t n = std::min(static_cast<size_t>(got), chunk.size());
      for (size_t i = 0; i < n; ++i) {
        block.Push(chunk[i]);
        if (chunk[i] == 0) return;
        if (block.full()) {
          // Full without its 00h: the caller cancels it as no list. What is still on its way is
          // read off first, so that it does not answer a later command.
          protocol::reply::DiscardRestOfReply(dev, clock,
                                              std::span(chunk).subspan(i + 1, n - i - 1));
          return;
        }
      }
    } else {
      block.Clear();
      const bool within_pace = pace.answer_ms != 0 && clock.TickCount() - pace.asked_ms <
                                                          pace.answer_ms + kLateAnswerMarginMs;
      if (++quiet_reads > kQuietReadsBeforeResend && !within_pace) {
        // A resend that fails shows as more silence; the reads decide.
        dev.Write(kKeyCodeListQuery.data(), kKeyCodeListQuery.size());
        ++pace.resends;
        pace.last_resend_ms = clock.TickCount();
      }
    }
  }
}

// Where the block starts: the first header byte or 00h within the first kStartSearchEnd bytes,
// else kStartSearchEnd. Past what was received the block reads as 00h.
size_t BlockStart(const protocol::reply::Buffer& block) {
  for (size_t i = 0; i < kStartSearchEnd; ++i) {
    if (block.At(i) == kReplyMark || block.At(i) == 0) return i;
  }
  return kStartSearchEnd;
}

}  // namespace

bool CCommonNv::LinkOpen() const { return util_ != nullptr && util_->dev().is_open(); }

bool CCommonNv::NoticedClose() {
  return util_ != nullptr && util_->dev().PeerClosed(devlink::CDev::kCloseNoticeMs);
}

protocol::Result CCommonNv::Fail(protocol::Result result) {
  if (util_ != nullptr) util_->dev().Close();
  return result;
}

bool CCommonNv::Send(const uint8_t* bytes, size_t length) {
  const int written = util_->dev().Write(bytes, static_cast<uint32_t>(length));
  return written >= 0 && static_cast<size_t>(written) == length;
}

protocol::Result CCommonNv::ReadKeyCodes() {
  if (!LinkOpen()) return protocol::kResultNotOpen;
  if (!Send(kKeyCodeListQuery.data(), kKeyCodeListQuery.size())) {
    return Fail(protocol::kResultWriteFailed);
  }
  KeyListPace pace;
  pace.asked_ms = clock_.TickCount();
  std::vector<std::string> codes;
  bool more = true;
  for (int block = 0; more; ++block) {
    // A printer that keeps saying "more" must not outlast the user's Cancel.
    if (block == kMaxBlocks || clock_.StopRequested()) {
      if (block < kMaxBlocks) util_->dev().NoteStoppedWait();
      Send(&kCan, 1);
      return Fail(protocol::kResultBadReply);
    }
    const protocol::Result result = ReadKeyCodeBlock(codes, &more, pace);
    // A block without codes ends the list: the codes before it are the printer's answer.
    if (result == protocol::kResultEmptyKeyList) key_codes_ = std::move(codes);
    if (result != protocol::kResultOk) return result;
    // More codes than there are is no list: stopped here, not after hundreds of such blocks.
    if (codes.size() > kMaxKeyCodes) {
      Send(&kCan, 1);
      return Fail(protocol::kResultBadReply);
    }
  }
  key_codes_ = std::move(codes);
  return protocol::kResultOk;
}

protocol::Result CCommonNv::ReadKeyCodeBlock(std::vector<std::string>& into, bool* more,
                                             KeyListPace& pace) {
  *more = false;
  clock_.Sleep(kBlockPauseMs);
  protocol::reply::Buffer block(kBlockCapacity);
  CollectBlock(util_->dev(), clock_, block, pace);

  const size_t start = BlockStart(block);
  const bool cut = block.full() && block.At(block.size() - 1) != 0;
  if (cut || block.size() < kMinBlockSize || block.At(start) != kReplyMark ||
      block.At(start + 1) != kKeyListKind) {
    // CAN stops a printer that is still sending; the link goes anyway, so its result is moot.
    Send(&kCan, 1);
    return Fail(protocol::kResultBadReply);
  }
  if (pace.resends > 0) {
    // The printer answers each query sent again as late as it answered this one: those answers
    // are read off before the ACK, which it then takes for the block it sent last.
    const uint32_t now = clock_.TickCount();
    pace.answer_ms = std::max(pace.answer_ms, now - pace.asked_ms);
    const uint32_t wait = std::min(pace.last_resend_ms + pace.answer_ms + kLateAnswerMarginMs - now,
                                   kLateAnswerLimitMs);
    DiscardUntil(util_->dev(), clock_, now + wait);
    pace.resends = 0;
  }
  if (!Send(&kAck, 1)) return Fail(protocol::kResultWriteFailed);
  pace.asked_ms = clock_.TickCount();

  const size_t codes = start + kBlockCodesOffset;
  if (block.At(codes) == 0) return protocol::kResultEmptyKeyList;
  // Pairs up to the closing 00h, which is never taken.
  const size_t last = block.size() - 1;
  for (size_t i = codes; i < last; i += 2) {
    into.push_back(std::string{static_cast<char>(block.At(i)), static_cast<char>(block.At(i + 1))});
  }
  *more = block.At(start + kBlockStatusOffset) == kMoreBlocks;
  return protocol::kResultOk;
}

protocol::Result CCommonNv::DeleteAllImages() {
  if (!LinkOpen()) return protocol::kResultNotOpen;
  if (!Send(kDeleteAllCommand.data(), kDeleteAllCommand.size())) {
    return Fail(protocol::kResultWriteFailed);
  }
  return protocol::kResultOk;
}

protocol::Result CCommonNv::DeleteImage(const std::string& key_code) {
  if (!LinkOpen()) return protocol::kResultNotOpen;
  const std::optional<KeyCode> code = KeyCodeFromText(key_code);
  if (!code) return protocol::kResultKeyCodeTooShort;
  const auto command = DeleteCommand(*code);
  if (!Send(command.data(), command.size())) return Fail(protocol::kResultWriteFailed);
  return protocol::kResultOk;
}

protocol::Result CCommonNv::PrintImage(const std::string& key_code) {
  if (!LinkOpen()) return protocol::kResultNotOpen;
  const std::optional<KeyCode> code = KeyCodeFromText(key_code);
  if (!code) return protocol::kResultKeyCodeTooShort;
  const auto command = PrintCommand(*code);
  if (!Send(command.data(), command.size())) return Fail(protocol::kResultWriteFailed);
  return NoticedClose() ? Fail(protocol::kResultWriteFailed) : protocol::kResultOk;
}

protocol::Result CCommonNv::PrintAllImages() {
  if (!LinkOpen()) return protocol::kResultNotOpen;
  if (key_codes_.empty()) return protocol::kResultEmptyKeyList;
  for (const std::string& text : key_codes_) {
    // The printer's list only ever yields two-character codes; anything shorter names no image.
    const std::optional<KeyCode> code = KeyCodeFromText(text);
    if (!code) continue;
    const auto command = PrintCommand(*code);
    if (!Send(command.data(), command.size())) return Fail(protocol::kResultWriteFailed);
  }
  return NoticedClose() ? Fail(protocol::kResultWriteFailed) : protocol::kResultOk;
}

protocol::Result CCommonNv::SendDownloadItem(const NvDownloadItem& item) {
  if (util_ == nullptr) return protocol::kResultNotOpen;
  const size_t total = item.data.size();
  for (size_t sent = 0; sent < total;) {
    const size_t piece = std::min(total - sent, kDownloadPieceSize);
    if (!Send(item.data.data() + sent, piece)) return Fail(protocol::kResultWriteFailed);
    sent += piece;
  }
  // No define is answered: a close the printer sent meanwhile is the only sign the image is lost.
  if (NoticedClose()) return Fail(protocol::kResultWriteFailed);
  sent_key_codes_.push_back(item.key_code);
  return protocol::kResultOk;
}
}  // namespace nv
