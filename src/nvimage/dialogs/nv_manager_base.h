#pragma once

// CNvManagerBase: what the desktop (CNVDlg) and the handheld (CPdaNvDlg) NV managers do alike.
// Both lay their buttons out under the same ids (nv_ctl), so one dispatch serves both; the
// printer side (the key code list and the jobs on it) is the same in both, and so are the rules
// for adding images and preparing a download. What each does its own way stays in it: the image
// list's control, the preview, the key code question's template and the words, given here as
// NvManagerTexts and the progress dialog's NvJobTexts.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nvimage/common_nv.h"
#include "nvimage/nv_download_plan.h"
#include "nvimage/nv_job.h"
#include "platform/registry/registry.h"
#include "ui/core/dialog.h"
#include "ui/core/template.h"

namespace nv {
// The words that differ between the two managers; static data.
struct NvManagerTexts {
  // The caption of the messages about the printer, its jobs and its NV area.
  const char* caption;
  // The caption of the messages about one image file (it would not load, was left out, or its
  // key code was refused).
  const char* file_caption;
  // An image that no longer fits the printer's NV area.
  const char* area_too_small;
  // The caption of the manager's questions.
  const char* question_caption;
  // The jobs' progress dialog (see CNvProDlg).
  const ui::Template& (*progress)();
};

class CNvManagerBase : public ui::Dialog, private NvJobRunner {
 public:
  // How both main dialogs start a manager: reads the printer's key codes under the progress
  // dialog, then runs this manager over them, and closes the link either way. A failed read is
  // told by `owner` under `failure_caption`.
  void RunOverKeyCodes(ui::Host& host, ui::Dialog& owner, std::string_view failure_caption);

 protected:
  // The texts are static data; the engine and the registry must outlive the dialog.
  CNvManagerBase(const ui::Template& layout, const NvManagerTexts& texts,
                 const NvJobTexts& job_texts, CCommonNv& nv, platform::Registry& registry);

  // Loads the stored image list and fills both lists.
  bool OnInitDialog() override;
  void OnCommand(int id, ui::Notify code) override;
  void OnDestroy() override;

  // The image list side, each manager's own.
  virtual void AddImages() = 0;
  virtual void RemoveImages() = 0;
  virtual void Reset() = 0;
  virtual void Download() = 0;
  virtual void FillImageList() = 0;
  // The status line, where the manager has one: it counts the images on both sides, so it is
  // updated after every job on the printer as well as after every change of the image list.
  virtual void UpdateStatus() {}

  // Adds the files the user picks, each at `brightness`, telling why one was refused. The image
  // list control is left for the caller to fill.
  void AddImageFiles(bool several, int brightness);
  // Chooses each image's key code, asking in a CNvAddrDlg over `address_layout` when it is not
  // chosen automatically, and builds its define command; no items when there is nothing to send.
  std::vector<NvDownloadItem> PrepareDownload(const ui::Template& address_layout);
  // Sends the items PrepareDownload planned, then reads the printer's list again; false (nothing
  // sent) when there are none.
  bool SendPreparedDownload(const std::vector<NvDownloadItem>& items);

  // Under the manager's own caption.
  void Tell(const std::string& text, unsigned icon = 0);
  void Tell(const std::string& text, const char* caption, unsigned icon = 0);

  CCommonNv& nv_;
  platform::Registry& registry_;

 private:
  // nv::NvJobRunner: the job in this manager's progress dialog.
  bool RunJob(NvJobCode job_code, const std::string& key_code, std::string* message) override;
  // Runs a job and shows its message when it fails.
  bool RunJobOrTell(NvJobCode job_code, const std::string& key_code = {});

  void FillKeyList();
  void Refresh();
  // The selected key code, or nullopt after telling the user to select one.
  std::optional<std::string> SelectedKeyOrTell();
  void PrintSelected();
  void RemoveSelectedKey();
  void RemoveAllKeys();
  void PrintAll();

  const NvManagerTexts texts_;
  const NvJobTexts& job_texts_;
  // Why the image list could not be stored when the manager closed; empty when it was.
  std::string list_not_saved_;
};
}  // namespace nv
