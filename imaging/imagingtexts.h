// The image library's own texts. They are English constants and are not
// passed through the interface translation: readers raise them through
// ImagingError/ImagingErrorFmt, the registry gives the descriptions to the
// picture loader. "%s" places take string arguments (ImagingErrorFmt).
#pragma once

// --- Reader errors -------------------------------------------------------------
inline constexpr char kInvalidImage[] = "Cannot load image. Invalid or unexpected %s image format.";
// The first "%s" takes a whole phrase (kCompressionScheme), the second the
// format, so that the result reads as one sentence.
inline constexpr char kUnsupportedFeature[] = "Cannot load image. %s not supported for %s files.";
inline constexpr char kCompressionScheme[] = "The compression scheme is";
inline constexpr char kTiledImages[] = "Tiled images are";
inline constexpr char kSubsampledYCbCr[] = "Subsampled YCbCr images without JPEG compression are";
inline constexpr char kInvalidColorFormat[] = "Invalid color format in %s file.";
inline constexpr char kStreamReadError[] = "Stream read error in %s file.";
inline constexpr char kCRCError[] = "Cannot load image. CRC error found in %s file.";
inline constexpr char kCompressionError[] = "Cannot load image. Compression error found in %s file.";
inline constexpr char kExtraCompressedData[] =
    "Cannot load image. Extra compressed data found in %s file.";
inline constexpr char kInvalidPalette[] = "Cannot load image. Palette in %s file is invalid.";
inline constexpr char kUnknownCriticalChunk[] =
    "Cannot load PNG image. Unexpected but critical chunk detected.";

// The format names the readers put into the messages above.
inline constexpr char kFormatAutodesk[] = "Autodesk";
inline constexpr char kFormatSGI[] = "sgi, bw or rgb(a)";
inline constexpr char kFormatTIFF[] = "TIF/TIFF";
inline constexpr char kFormatEPS[] = "EPS";
inline constexpr char kFormatPCXOrSCR[] = "PCX or SCR";
inline constexpr char kFormatPCX[] = "PCX";
inline constexpr char kFormatPortableMaps[] = "PBM, PGM or PPM";
inline constexpr char kFormatPPM[] = "PPM";
inline constexpr char kFormatGIF[] = "GIF";
inline constexpr char kFormatPSD[] = "PSD or PDD";
inline constexpr char kFormatPSP[] = "PSP";
inline constexpr char kFormatPNG[] = "PNG";
inline constexpr char kFormatTarga[] = "Targa";

// --- Progress phases -------------------------------------------------------------
inline constexpr char kPreparing[] = "Preparing...";
inline constexpr char kLoadingData[] = "Loading data...";
inline constexpr char kUpsampling[] = "Upsampling...";
inline constexpr char kTransfering[] = "Transfering...";

// --- Format registry ---------------------------------------------------------------
inline constexpr char kDuplicateRegistration[] = "Attempt to register %s twice.";
inline constexpr char kDescWindowsBitmaps[] = "Windows bitmaps";
inline constexpr char kDescRLEBitmaps[] = "Run length encoded Windows bitmaps";
inline constexpr char kDescDIBBitmaps[] = "Device independant Windows bitmaps";
inline constexpr char kDescWindowsIcons[] = "Windows icons";
inline constexpr char kDescWindowsMetafiles[] = "Windows metafiles";
inline constexpr char kDescEnhancedMetafiles[] = "Windows enhanced meta files";
inline constexpr char kDescJPGImages[] = "JPG images";
inline constexpr char kDescJPEGImages[] = "JPEG images";
inline constexpr char kDescJPEImages[] = "JPE images";
inline constexpr char kDescJFIFImages[] = "JFIF images";
inline constexpr char kDescTruevision[] = "Truevision images";
inline constexpr char kDescTIFF[] = "Tagged image file format images";
inline constexpr char kDescMacTIFF[] = "Macintosh TIFF images";
inline constexpr char kDescPCTIF[] = "PC TIF images";
inline constexpr char kDescGFIFax[] = "GFI fax images";
inline constexpr char kDescEPS[] = "Encapsulated Postscript images";
inline constexpr char kDescPCX[] = "ZSoft Paintbrush images";
inline constexpr char kDescWordScreen[] = "Word 5.x screen capture images";
inline constexpr char kDescAliasWavefront[] = "Alias/Wavefront images";
inline constexpr char kDescSGI[] = "SGI images";
inline constexpr char kDescSGITrueColor[] = "SGI true color images";
inline constexpr char kDescSGITrueColorAlpha[] = "SGI true color images with alpha";
inline constexpr char kDescSGIMono[] = "SGI black/white images";
inline constexpr char kDescPhotoshop[] = "Photoshop images";
inline constexpr char kDescPortableMaps[] = "Portable map images";
inline constexpr char kDescPortablePixel[] = "Portable pixel map images";
inline constexpr char kDescPortableGray[] = "Portable gray map images";
inline constexpr char kDescPortableBitmap[] = "Portable bitmap images";
inline constexpr char kDescAutodesk[] = "Autodesk images";
inline constexpr char kDescPhotoCD[] = "Kodak Photo-CD images";
inline constexpr char kDescCompuServe[] = "CompuServe images";
inline constexpr char kDescDrHalo[] = "Dr. Halo images";
inline constexpr char kDescPaintshopPro[] = "Paintshop Pro images";
inline constexpr char kDescPNG[] = "Portable network graphic images";

// --- Colour manager ------------------------------------------------------------------
inline constexpr char kIndexedConversion[] =
    "Conversion between indexed and non-indexed pixel formats is not supported.";
inline constexpr char kConversionFailed[] = "Color conversion failed. Could not find a proper method.";
inline constexpr char kRowTooShort[] =
    "Color conversion failed. The image row is shorter than its pixels need.";
inline constexpr char kInvalidColorDepth[] =
    "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
inline constexpr char kWrongSampleCount[] =
    "Sample count per pixel does not correspond to the given color scheme.";
inline constexpr char kInvalidSubsampling[] = "Subsampling value is invalid. Allowed are 1, 2 and 4.";
inline constexpr char kVerticalSubsampling[] =
    "Vertical subsampling value must be <= horizontal subsampling value.";

// --- Decoders --------------------------------------------------------------------------
inline constexpr char kLZ77DecompressionError[] = "LZ77 decompression error.";
inline constexpr char kJPEGEndOfInput[] = "JPEG decompression error. Unexpected end of input.";
inline constexpr char kJPEGStripSize[] = "Improper JPEG strip/tile size.";
inline constexpr char kJPEGComponentCount[] = "Improper JPEG component count.";
inline constexpr char kJPEGDataPrecision[] = "Improper JPEG data precision.";
inline constexpr char kJPEGSamplingFactors[] = "Improper JPEG sampling factors.";
inline constexpr char kJPEGBogusTables[] = "Bogus JPEG tables field.";
inline constexpr char kJPEGFractionalScanline[] = "Fractional JPEG scanline unsupported.";
inline constexpr char kJPEGWarningCaption[] = "Warning";
