#pragma once

// CCommonNv: the NV image engine. It keeps the images the user has chosen (with their estimated
// sizes against the printer's NV image area), turns BMP files into the printer's define
// commands, and holds the NV graphics commands that store, print, delete and list images in the
// printer's NV memory.
//
// The commands return the result codes of result_codes.h: 0 done, 101 link not open (nothing
// sent), 109 key code list reply missing or malformed (CAN sent, link closed), 300 a write fell
// short (link closed), 400 empty key code list, 402 key code shorter than two characters.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "protocol/result_codes.h"

namespace nv {
// One chosen image. It keeps no pixels: the file is read again for the preview and the download.
struct NvImageEntry {
  uint8_t number = 0;  // 1-based position in the image list
  uint32_t size = 0;   // estimated raster bytes: ceil(min(width, 384) / 8) * file height
  std::string name;    // the path after its last '/'
  std::string path;
  int brightness = 0;  // 0..100, strength of the thinning pattern
};

// One image of a planned download: where it came from, the key code it goes under and its
// define command.
struct NvDownloadItem {
  std::string key_code;  // two characters
  std::string name;      // the file's name, shown while it is sent
  std::string path;
  int brightness = 0;
  std::vector<uint8_t> data;  // the define command
};

// How a printer keeps pace while it lists its key codes. A query sent again restarts the list,
// and the printer answers each one: those answers, and blocks of a restarted list, must not pass
// for the blocks still to come or for the next command's reply.
struct KeyListPace {
  uint32_t asked_ms = 0;  // tick count of the query or ACK the next block answers
  // How long a block that needed queries sent again took to come; 0 while none has.
  uint32_t answer_ms = 0;
  int resends = 0;              // queries sent again for the block being read
  uint32_t last_resend_ms = 0;  // tick count of the last
};

class CCommonNv {
 public:
  static constexpr int kPrintableWidth = 384;
  static constexpr uint32_t kAreaCapacity = 262144;
  // What the stored list can hold (image001 to image254).
  static constexpr size_t kMaxImages = 254;
  // What CreateImageEntry made of a file.
  enum class EntryStatus {
    kOk = 0,
    kNotLoadable = -2,
    // Loaded, but no define command can store it: too tall, or scaled to no rows at all.
    kNotStorable = -3,
  };

  // `util` owns the link and must outlive this object.
  CCommonNv(protocol::CCommonUtil* util, platform::Clock& clock);
  virtual ~CCommonNv();
  CCommonNv(const CCommonNv&) = delete;
  CCommonNv& operator=(const CCommonNv&) = delete;

  // ---- The image list.
  // A new entry for the file (not yet in the list), or nullptr with `status` kNotLoadable or
  // kNotStorable; load_error() then says why.
  std::unique_ptr<NvImageEntry> CreateImageEntry(uint8_t number, const std::string& path,
                                                 int brightness, EntryStatus* status);
  // 0 when appended; 401 when the NV image area would overflow (exactly full is accepted);
  // kResultNvListFull when the list already holds kMaxImages. The entry is dropped on refusal.
  protocol::Result AddImageEntry(std::unique_ptr<NvImageEntry> entry);
  uint32_t GetImagesSize() const;
  // Removes the first entry numbered `number`, then renumbers all entries 1, 2, 3...
  void RemoveImageEntry(uint8_t number);
  void ClearImageEntries();
  // The brightness of the entry numbered `number`, if there is one.
  void SetImageBrightness(int number, int brightness);
  // The download item of `entry` under `key` (two characters), with its define command;
  // nullopt (load_error() says why) when the file can no longer be read.
  std::optional<NvDownloadItem> ConvertImage(const NvImageEntry& entry, const std::string& key);
  // The reason of the last refused load ("<name>: <why>"), and the why alone.
  const std::string& load_error() const { return load_error_; }
  const std::string& load_reason() const { return load_reason_; }

  // ---- The NV graphics commands (see the result codes above).
  // Replaces key_codes() with the printer's list (400: it has none, or none after the codes of
  // the blocks before). On a failure the list stays as it was, so automatic addressing never
  // hands out a code the printer holds.
  protocol::Result ReadKeyCodes();
  protocol::Result DeleteAllImages();
  protocol::Result DeleteImage(const std::string& key_code);
  protocol::Result PrintImage(const std::string& key_code);
  protocol::Result PrintAllImages();
  // No open check: the job runner has just made sure of the link.
  protocol::Result SendDownloadItem(const NvDownloadItem& item);

  // What the next download job sends, in order.
  void SetDownloadList(std::vector<NvDownloadItem> items) {
    download_list_ = std::move(items);
    sent_key_codes_.clear();
  }
  // The key codes of the list's images whose define went out whole (the printer answers none,
  // so it most likely holds them), in the order sent.
  const std::vector<std::string>& sent_key_codes() const { return sent_key_codes_; }
  // After the download job: the list is dropped and, when the printer took every item, their
  // number becomes image_count().
  void EndDownload(bool stored);
  const std::vector<NvDownloadItem>& download_list() const { return download_list_; }
  protocol::CCommonUtil* util() const { return util_; }
  platform::Clock& clock() const { return clock_; }

  // The number of images after a download (EndDownload), or of key codes when Print All
  // starts (CountImagesFromKeyCodes).
  uint32_t image_count() const { return image_count_; }
  void CountImagesFromKeyCodes() { image_count_ = static_cast<uint32_t>(key_codes_.size()); }
  // 1 once the printer passed the identification step of an NV job (MarkIdentified). A new
  // manager run and a download forget it: the printer may have been swapped meanwhile.
  int identified() const { return identified_; }
  void MarkIdentified() { identified_ = 1; }
  void ForgetIdentification() { identified_ = 0; }
  const std::vector<NvImageEntry>& images() const { return images_; }
  const std::vector<std::string>& key_codes() const { return key_codes_; }
  // When a manager run ends: the next run reads the printer's list again.
  void ForgetKeyCodes() { key_codes_.clear(); }

 private:
  bool LinkOpen() const;
  // Whether the printer has closed the connection (a TCP link only), which a command it does not
  // answer cannot tell: the first write after the close still goes out without an error.
  bool NoticedClose();
  // Closes the link and returns `result`.
  protocol::Result Fail(protocol::Result result);
  // Writes all of `bytes` in one call; false when the link took fewer.
  bool Send(const uint8_t* bytes, size_t length);
  // Waits for one block of the key code list, judges it, acknowledges it and appends its codes to
  // `into`; `more` says whether another block follows. A block that needed queries sent again
  // sets the printer's pace for the blocks after it, and their answers are read off before the
  // ACK.
  protocol::Result ReadKeyCodeBlock(std::vector<std::string>& into, bool* more, KeyListPace& pace);

  protocol::CCommonUtil* util_;
  platform::Clock& clock_;
  uint32_t image_count_ = 0;
  int identified_ = 0;
  std::vector<NvImageEntry> images_;
  std::vector<std::string> key_codes_;
  std::string load_error_;
  std::string load_reason_;
  std::vector<NvDownloadItem> download_list_;
  std::vector<std::string> sent_key_codes_;

  friend struct CCommonNvTestPeer;  // tests and fuzz targets set up a printer's list
};
}  // namespace nv
