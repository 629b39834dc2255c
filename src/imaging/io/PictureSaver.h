// Saving the marked-up picture through the encoder that matches a file's extension.
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>

#include <array>
#include <functional>

namespace orv {

class ByteSink;

// The image encoders, in the order the encoder table lists them.
enum class EncoderId { None, Bmp, Jpeg, Gif, Tiff, Png, Psd, Svg, Pdf };

// One row of the encoder table: the encoder, its class identifier as the platform names it
// (shown to the user, never interpreted), its MIME type and its file-name-extension list.
struct EncoderInfo {
    EncoderId id;
    const char* clsid;
    const char* mimeType;
    const char* extensions;
};

// The encoder table, in this order; the extension lookup walks it from the top.
inline constexpr std::array<EncoderInfo, 8> kEncoders{{
    {EncoderId::Bmp, "{557CF400-1A04-11D3-9A73-0000F81EF32E}", "image/bmp", "*.BMP;*.DIB;*.RLE"},
    {EncoderId::Jpeg, "{557CF401-1A04-11D3-9A73-0000F81EF32E}", "image/jpeg",
     "*.JPG;*.JPEG;*.JPE;*.JFIF"},
    {EncoderId::Gif, "{557CF402-1A04-11D3-9A73-0000F81EF32E}", "image/gif", "*.GIF"},
    {EncoderId::Tiff, "{557CF405-1A04-11D3-9A73-0000F81EF32E}", "image/tiff", "*.TIF;*.TIFF"},
    {EncoderId::Png, "{557CF406-1A04-11D3-9A73-0000F81EF32E}", "image/png", "*.PNG"},
    // Our own layered writer; the platform has no class identifier for it.
    {EncoderId::Psd, "", "image/vnd.adobe.photoshop", "*.PSD"},
    // Our vector documents: the picture embedded whole, annotations as vectors over it.
    {EncoderId::Svg, "", "image/svg+xml", "*.SVG"},
    {EncoderId::Pdf, "", "application/pdf", "*.PDF"},
}};

// The table row of an encoder (nullptr for EncoderId::None).
const EncoderInfo* FindEncoderInfo(EncoderId id);

// `EncoderClsidForExtension`: the first encoder whose lower-cased extension list contains the
// lower-cased extension as a substring ("jpeg", "tif" and "dib" match too; an empty extension
// matches the first encoder, BMP). Returns false, with `out` set to EncoderId::None, when no
// encoder lists it.
bool EncoderClsidForExtension(const QString& extension, EncoderId& out);

// Error numbers a save reports; the caller shows them in its error box.
enum class SaveError {
    None = 0,
    DiskFull = 61,           // the disk filled up (or the quota ran out) while writing
    DeviceIoError = 57,      // the device failed otherwise while writing
    FolderNotWritable = 75,  // the temporary file could not be created or put in place
    NoEncoder = 380,         // no encoder lists the extension
    EmptyPicture = 481,      // there is no picture to save
    EncodeFailed = 482,      // the encoder could not write the picture
};

// What became of a save: success, or an error number and a description for the error box.
struct SaveResult {
    SaveError error = SaveError::None;
    QString description;

    bool ok() const { return error == SaveError::None; }
    int errorNumber() const { return int(error); }
};

// TIFF compression values the saver understands (the platform's encoder-parameter values).
inline constexpr int kTiffCompressionLzw = 2;
inline constexpr int kTiffCompressionNone = 6;

// `SavePictureWithEncoder`: writes the picture to `path` with the encoder the extension selects.
// The lower-cased extension "jpg" saves at `jpegQuality`; "tiff" saves with `tiffCompression`
// (kTiffCompressionNone or kTiffCompressionLzw) at `tiffColourDepth` bits (24 is the one depth
// written); every other extension uses the encoder's defaults (JPEG quality 75, TIFF LZW at 24
// bits); "psd" writes a layered document whose single layer "Picture" is the picture (see
// PsdSaver.h for documents with more layers). The saved picture is always opaque, whatever the
// source format: alpha is dropped. The file is written beside the target under a temporary
// name, synced, and then put in its place (in a folder that forbids new files, an existing
// writable target is overwritten in place instead), so a failed save leaves an existing file of
// that name as it was; a successful one replaces it. Every write is checked: a short or failed
// write is DiskFull (no space or quota), FolderNotWritable or DeviceIoError, never
// EncodeFailed, which only the encoder's own failure gives. "svg" and "pdf" write a vector
// document that holds only the picture (see VectorWriter.h for one with annotations).
SaveResult SavePictureWithEncoder(const QImage& picture, const QString& path,
                                  const QString& extension, int jpegQuality, int tiffColourDepth,
                                  int tiffCompression);

// Writes a file the way SavePictureWithEncoder does (beside the target, synced, then put in its
// place; every write checked), with `write` encoding the whole file into the device. `what`
// names the format in the message of the encoder's own failure.
SaveResult SaveThroughDevice(const QString& path, const QString& what,
                             const std::function<bool(QIODevice&, QString&)>& write);

// Encodes the picture as SavePictureWithEncoder would, into `sink` instead of a file; the result
// reports the sink's first failure, if any.
SaveResult EncodePictureTo(ByteSink& sink, const QImage& picture, const QString& extension,
                           int jpegQuality, int tiffColourDepth, int tiffCompression);

}  // namespace orv
