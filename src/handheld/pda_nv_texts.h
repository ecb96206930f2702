#pragma once

// The handheld NV manager's own texts. Those it shares with the desktop manager (the file filter,
// the questions, "Please select address!"...) come from nv_manager_texts.h.
namespace pda::pda_nv_text {
// The caption of the manager's messages about the printer and its jobs.
inline constexpr char kCaption[] = "NV Manager Utility";
// The caption of its questions and of its messages about the image list.
inline constexpr char kListCaption[] = "Pelliset";
// Empty: the host puts the program's own title on the box.
inline constexpr char kProgramCaption[] = "";
inline constexpr char kAreaTooSmall[] = "NV-bitimage area too small!";
inline constexpr char kNothingToRemove[] = "Without a bmpfile being selected.";
inline constexpr char kNothingToDownload[] = "Without a bitmap file being selected.";
}  // namespace pda::pda_nv_text
