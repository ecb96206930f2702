#pragma once

// The desktop NV manager's texts (fixed English, as the progress dialog's).
namespace nv::nv_text {
inline constexpr char kCaption[] = "NV Image Manager";
inline constexpr char kStatusFormat[] = "<Images: %d/%d - Memory: %d/%d (Byte)>";
inline constexpr char kImageFilter[] = "Image Files(*.bmp)|*.bmp||";
inline constexpr char kLoadFailed[] = "Failed to load image file!";
inline constexpr char kAreaTooSmall[] = "NV image area too small!";
inline constexpr char kListFull[] = "The image list is full: it holds at most 254 images.";
inline constexpr char kNothingSelected[] = "Without a BMP file being selected.";
inline constexpr char kConfirmRemove[] = "Do you want to remove all of selection?";
// Logos cannot be read back from a printer: a slip on Remove All would lose them for good.
inline constexpr char kConfirmRemoveAll[] = "Delete every image stored in the printer?";
inline constexpr char kSelectAddress[] = "Please select address!";
inline constexpr char kCancelDownload[] = "Cancel to download image.";
inline constexpr char kExistsAddress[] = "Exists address!";
inline constexpr char kAddressTooShort[] = "Enter an address code of two characters.";
inline constexpr char kAddressNotAscii[] =
    "An address code takes ASCII letters, digits and signs only.";
inline constexpr char kNoFreeAddress[] = "No free address code is left for the next image.";
inline constexpr char kSizeFormat[] = "%u Bytes";
inline constexpr char kListNotSavedFormat[] =
    "The image list could not be saved for the next start: %1";
inline constexpr char kNotStoredFormat[] =
    "The printer does not list %1 after the download: its memory may be full.";
}  // namespace nv::nv_text
