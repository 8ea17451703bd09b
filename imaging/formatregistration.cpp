// The formats the program registers at start and forgets at exit: the class
// library's own graphic classes and the readers of this library.
#include "classlib/bitmap.h"
#include "classlib/icon.h"
#include "classlib/jpegimage.h"
#include "classlib/metafile.h"
#include "imaging/autodeskgraphic.h"
#include "imaging/cutgraphic.h"
#include "imaging/fileformatlist.h"
#include "imaging/gifgraphic.h"
#include "imaging/pcdgraphic.h"
#include "imaging/pcxgraphic.h"
#include "imaging/pnggraphic.h"
#include "imaging/ppmgraphic.h"
#include "imaging/psdgraphic.h"
#include "imaging/pspgraphic.h"
#include "imaging/rlagraphic.h"
#include "imaging/sgigraphic.h"
#include "imaging/targagraphic.h"
#include "imaging/tiffgraphic.h"

TFileFormatList* FileFormatList = nullptr;

namespace {

using ClassGetter = TGraphicClass (*)();

// The readers of this library. A reader joins by naming its StaticClass here
// (and including its header above); until then its extensions are not
// registered, so the picture loader never offers a format nobody reads.
constexpr ClassGetter kTargaGraphic = &TTargaGraphic::StaticClass;
constexpr ClassGetter kTIFFGraphic = &TTIFFGraphic::StaticClass;
constexpr ClassGetter kEPSGraphic = &TEPSGraphic::StaticClass;
constexpr ClassGetter kPCXGraphic = &TPCXGraphic::StaticClass;
constexpr ClassGetter kRLAGraphic = &TRLAGraphic::StaticClass;
constexpr ClassGetter kSGIGraphic = &TSGIGraphic::StaticClass;
constexpr ClassGetter kPSDGraphic = &TPSDGraphic::StaticClass;
constexpr ClassGetter kPPMGraphic = &TPPMGraphic::StaticClass;
constexpr ClassGetter kAutodeskGraphic = &TAutodeskGraphic::StaticClass;
constexpr ClassGetter kPCDGraphic = &TPCDGraphic::StaticClass;
constexpr ClassGetter kGIFGraphic = &TGIFGraphic::StaticClass;
constexpr ClassGetter kCUTGraphic = &TCUTGraphic::StaticClass;
constexpr ClassGetter kPSPGraphic = &TPSPGraphic::StaticClass;
constexpr ClassGetter kPNGGraphic = &TPNGGraphic::StaticClass;

constexpr ClassGetter kBitmap = &TBitmap::StaticClass;
constexpr ClassGetter kIcon = &TIcon::StaticClass;
constexpr ClassGetter kMetafile = &TMetafile::StaticClass;
constexpr ClassGetter kJPEGImage = &TJPEGImage::StaticClass;

constexpr uint8_t kRaster = ftRaster;
constexpr uint8_t kVector = ftVector;

struct FormatRow {
  const char* extension;
  const char* commonDescription;
  const char* ownDescription;
  uint8_t formatTypes;
  ClassGetter graphicClass;
};

constexpr FormatRow kFormats[] = {
    {"bmp", "Windows bitmaps", "", kRaster, kBitmap},
    {"ico", "Windows icons", "", kRaster, kIcon},
    {"wmf", "Windows metafiles", "", kVector, kMetafile},
    {"emf", "Windows metafiles", "Windows enhanced meta files", kVector, kMetafile},
    {"jfif", "JPG images", "JFIF images", kRaster, kJPEGImage},
    {"jpg", "", "JPG images", kRaster, kJPEGImage},
    {"jpe", "", "JPE images", kRaster, kJPEGImage},
    {"jpeg", "", "JPEG images", kRaster, kJPEGImage},
    {"rle", "Windows bitmaps", "Run length encoded Windows bitmaps", kRaster, kBitmap},
    {"dib", "", "Device independant Windows bitmaps", kRaster, kBitmap},
    {"win", "Truevision images", "", kRaster, kTargaGraphic},
    {"vst", "", "", kRaster, kTargaGraphic},
    {"vda", "", "", kRaster, kTargaGraphic},
    {"tga", "", "", kRaster, kTargaGraphic},
    {"icb", "", "", kRaster, kTargaGraphic},
    {"tiff", "Tagged image file format images", "Macintosh TIFF images", ftMultiImage | kRaster,
     kTIFFGraphic},
    {"tif", "", "PC TIF images", ftMultiImage | kRaster, kTIFFGraphic},
    {"fax", "", "GFI fax images", ftMultiImage | kRaster, kTIFFGraphic},
    {"eps", "Encapsulated Postscript images", "", kRaster, kEPSGraphic},
    {"pcx", "ZSoft Paintbrush images", "", kRaster, kPCXGraphic},
    {"pcc", "", "", kRaster, kPCXGraphic},
    {"scr", "", "Word 5.x screen capture images", kRaster, kPCXGraphic},
    {"rpf", "Alias/Wavefront images", "", kRaster, kRLAGraphic},
    {"rla", "", "", kRaster, kRLAGraphic},
    {"sgi", "SGI images", "SGI true color images", kRaster, kSGIGraphic},
    {"rgba", "", "SGI true color images with alpha", kRaster, kSGIGraphic},
    {"rgb", "", "SGI true color images", kRaster, kSGIGraphic},
    {"bw", "", "SGI black/white images", kRaster, kSGIGraphic},
    {"psd", "Photoshop images", "", ftLayered | kRaster, kPSDGraphic},
    {"pdd", "", "", ftLayered | kRaster, kPSDGraphic},
    {"ppm", "Portable map images", "Portable pixel map images", kRaster, kPPMGraphic},
    {"pgm", "", "Portable gray map images", kRaster, kPPMGraphic},
    {"pbm", "", "Portable bitmap images", kRaster, kPPMGraphic},
    {"cel", "Autodesk images", "", kRaster, kAutodeskGraphic},
    {"pic", "Autodesk images", "", kRaster, kAutodeskGraphic},
    {"pcd", "Kodak Photo-CD images", "", kRaster, kPCDGraphic},
    {"gif", "CompuServe images", "", ftAnimation | ftMultiImage | kRaster, kGIFGraphic},
    {"cut", "Dr. Halo images", "", kRaster, kCUTGraphic},
    {"psp", "Paintshop Pro images", "", kRaster | kVector, kPSPGraphic},
    {"png", "Portable network graphic images", "", kRaster, kPNGGraphic},
};

// Classes whose every extension is forgotten at exit, in this order; what
// remains is forgotten by the registry's Clear.
constexpr ClassGetter kForgottenAtExit[] = {
    kPSPGraphic, kPSDGraphic, kTargaGraphic, kTIFFGraphic, kSGIGraphic, kPCXGraphic,
    kAutodeskGraphic, kPCDGraphic, kPPMGraphic, kCUTGraphic, kGIFGraphic, kRLAGraphic};

// The image library's start and end, once per program run.
struct ImagingUnit {
  ImagingUnit() {
    FileFormatList = new TFileFormatList;
    for (const FormatRow& row : kFormats) {
      if (row.graphicClass == nullptr) continue;
      FileFormatList->RegisterFileFormat(row.extension, row.commonDescription, row.ownDescription,
                                         row.formatTypes, false, row.graphicClass());
    }
  }
  ~ImagingUnit() {
    for (ClassGetter graphicClass : kForgottenAtExit)
      if (graphicClass != nullptr) FileFormatList->UnregisterFileFormat("", graphicClass());
    FileFormatList->UnregisterFileFormat("rle", kBitmap());
    FileFormatList->UnregisterFileFormat("dib", kBitmap());
    FileFormatList->UnregisterFileFormat("", kPNGGraphic());
    delete FileFormatList;
    FileFormatList = nullptr;
  }
  ImagingUnit(const ImagingUnit&) = delete;
  ImagingUnit& operator=(const ImagingUnit&) = delete;
};

ImagingUnit imagingUnit;

}  // namespace
