#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/bitmap.h"
#include "classlib/imagelist.h"
#include "classlib/stringlist.h"
#include "classlib/strutils.h"
#include "shell/dropfilesource.h"
#include "shell/pidls.h"
#include "shell_fixtures.h"
#include "clipboard_lock_win.h"

namespace {

std::vector<uint8_t> BlockBytes(HGLOBAL block) {
  std::vector<uint8_t> bytes(GlobalSize(block));
  if (const void* p = GlobalLock(block)) {
    std::memcpy(bytes.data(), p, bytes.size());
    GlobalUnlock(block);
  }
  return bytes;
}

FORMATETC Request(UINT format, DWORD medium = TYMED_HGLOBAL) {
  return FORMATETC{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, medium};
}

// GetData's answer, and the block's bytes when it gave one.
HRESULT Render(IDataObject* data, UINT format, std::vector<uint8_t>* bytes = nullptr) {
  FORMATETC request = Request(format);
  STGMEDIUM medium{};
  HRESULT hr = data->GetData(&request, &medium);
  if (hr == S_OK) {
    EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(medium.pUnkForRelease, nullptr);
    if (bytes != nullptr) *bytes = BlockBytes(medium.hGlobal);
    ReleaseStgMedium(&medium);
  }
  return hr;
}

std::vector<std::string> DroppedFiles(HDROP drop) {
  std::vector<std::string> files;
  UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char name[MAX_PATH] = {};
    DragQueryFileA(drop, i, name, MAX_PATH);
    files.push_back(name);
  }
  return files;
}

// The path of every item of a "Shell IDList Array" block.
std::vector<std::string> IdListPaths(const std::vector<uint8_t>& block) {
  std::vector<std::string> paths;
  if (block.size() < 8) return paths;
  const auto* header = reinterpret_cast<const UINT*>(block.data());
  auto at = [&](UINT offset) {
    return reinterpret_cast<PItemIDList>(const_cast<uint8_t*>(block.data()) + offset);
  };
  PItemIDList parent = at(header[1]);
  for (UINT i = 0; i < header[0]; ++i) {
    TOwnedPidl full(ConcatPidls(parent, at(header[2 + i])));
    paths.push_back(PidlToPath(full.Get()));
  }
  return paths;
}

class DropSourceTest : public testing::Test {
protected:
  void SetUp() override {
    source = new TDropFileSource(nullptr);
    data = source;
  }
  void TearDown() override { delete source; }
  void SetFiles(const std::vector<std::string>& files) {
    source->Files()->Clear();
    for (const std::string& f : files) source->Files()->Add(f);
  }

  TDropFileSource* source = nullptr;
  IDataObject* data = nullptr;
  const TDragFormats& formats = DragFormats();
};

TEST_F(DropSourceTest, OffersFiveFormatsAndNeverMoreThanTwenty) {
  EXPECT_EQ(source->FormatCount(), 5);
  for (int i = 0; i < 16; ++i) source->AddFormatEtc(CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL);
  EXPECT_EQ(source->FormatCount(), TDropSource::kMaxFormats);
  IEnumFORMATETC* walker = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &walker), S_OK);
  FORMATETC records[30] = {};
  ULONG fetched = 0;
  EXPECT_EQ(walker->Next(30, records, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 20u);
  const UINT first[] = {CF_HDROP, formats.ShellIdList, formats.PreferredDropEffect, formats.FileNameMap,
                        formats.FileNameMapW};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(records[i].cfFormat, first[i]);
    EXPECT_EQ(records[i].dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(records[i].lindex, -1);
    EXPECT_EQ(records[i].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  }
  walker->Release();
}

// Whatever GetData refuses, QueryGetData refuses too.
TEST_F(DropSourceTest, QueryGetDataRefusesWhatGetDataRefuses) {
  const UINT offered[] = {CF_HDROP, formats.ShellIdList, formats.PreferredDropEffect, formats.FileNameMap,
                          formats.FileNameMapW};
  for (UINT format : offered) {
    FORMATETC request = Request(format);
    EXPECT_EQ(Render(data, format), E_UNEXPECTED) << format;
    EXPECT_NE(data->QueryGetData(&request), S_OK) << format;
  }
  SetFiles({"C:\\a.txt", "C:\\b.txt"});
  source->MappedNames()->Add("x.txt");
  for (UINT format : {formats.FileNameMap, formats.FileNameMapW}) {
    FORMATETC request = Request(format);
    EXPECT_EQ(Render(data, format), DV_E_FORMATETC);
    EXPECT_EQ(data->QueryGetData(&request), DV_E_FORMATETC);
  }
  FORMATETC fileList = Request(CF_HDROP);
  EXPECT_EQ(data->QueryGetData(&fileList), S_OK);
  FORMATETC asStream = Request(CF_HDROP, TYMED_ISTREAM);
  EXPECT_EQ(data->QueryGetData(&asStream), E_FAIL);
  FORMATETC text = Request(CF_TEXT);
  EXPECT_EQ(data->QueryGetData(&text), E_FAIL);
  EXPECT_EQ(Render(data, CF_TEXT), DV_E_FORMATETC);
}

TEST_F(DropSourceTest, LayoutsOfTheFileListAndNameMaps) {
  SetFiles({"a"});
  std::vector<uint8_t> bytes;
  ASSERT_EQ(Render(data, CF_HDROP, &bytes), S_OK);
  ASSERT_EQ(bytes.size(), 26u);  // header, "a", its zero, the closing zero, in UTF-16
  const auto* header = reinterpret_cast<const DROPFILES*>(bytes.data());
  EXPECT_EQ(header->pFiles, 20u);
  EXPECT_EQ(header->pt.x, 0);
  EXPECT_EQ(header->fNC, FALSE);
  EXPECT_EQ(header->fWide, TRUE);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.end()), (std::vector<uint8_t>{'a', 0, 0, 0, 0, 0}));

  SetFiles({"C:\\x\\one.txt", "C:\\x\\two.txt"});
  source->MappedNames()->Add("uno");
  source->MappedNames()->Add("\xE9");  // é in the ANSI code page
  ASSERT_EQ(Render(data, formats.FileNameMap, &bytes), S_OK);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{'u', 'n', 'o', 0, 0xE9, 0, 0}));
  ASSERT_EQ(Render(data, formats.FileNameMapW, &bytes), S_OK);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{'u', 0, 'n', 0, 'o', 0, 0, 0, 0xE9, 0, 0, 0, 0, 0}));
}

// Files from two folders: the item array is built from the desktop with
// full paths, so every item is the file named, as CF_HDROP says.
TEST_F(DropSourceTest, ClipboardReadersGetTheFilesOfTwoFolders) {
  TTempFolder first, second;
  ASSERT_TRUE(WriteTextFile(first / "one.txt", "first file"));
  ASSERT_TRUE(WriteTextFile(second / "two.txt", "second file"));
  ASSERT_TRUE(WriteTextFile(first / "two.txt", "a namesake in the first folder"));
  const std::vector<std::string> files = {first / "one.txt", second / "two.txt"};
  SetFiles(files);
  ClipboardTestLock lock;
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE drop = GetClipboardData(CF_HDROP);
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(DroppedFiles(static_cast<HDROP>(drop)), files);
  HANDLE idList = GetClipboardData(formats.ShellIdList);
  ASSERT_NE(idList, nullptr);
  std::vector<std::string> paths = IdListPaths(BlockBytes(idList));
  CloseClipboard();
  EXPECT_EQ(OleSetClipboard(nullptr), S_OK);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(AnsiSameText(paths[0], files[0])) << paths[0];
  EXPECT_TRUE(AnsiSameText(paths[1], files[1])) << paths[1];
  EXPECT_EQ(ReadTextFile(paths[1]), "second file");
}

TEST_F(DropSourceTest, ItemArrayOfOneFolderHoldsNamesRelativeToIt) {
  TTempFolder folder;
  ASSERT_TRUE(WriteTextFile(folder / "one.txt", "1"));
  ASSERT_TRUE(WriteTextFile(folder / "two.txt", "2"));
  SetFiles({folder / "one.txt", folder / "two.txt"});
  std::vector<uint8_t> bytes;
  ASSERT_EQ(Render(data, formats.ShellIdList, &bytes), S_OK);
  const auto* header = reinterpret_cast<const UINT*>(bytes.data());
  ASSERT_EQ(header[0], 2u);
  EXPECT_EQ(header[1], 16u);  // (n + 2) * 4
  auto parent = reinterpret_cast<PItemIDList>(bytes.data() + header[1]);
  EXPECT_TRUE(AnsiSameText(PidlToPath(parent), folder.Path()));
  auto relative = reinterpret_cast<PItemIDList>(bytes.data() + header[2]);
  EXPECT_EQ(PidlSize(relative), header[3] - header[2]);
  std::vector<std::string> paths = IdListPaths(bytes);
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(ReadTextFile(paths[0]), "1");
  EXPECT_EQ(ReadTextFile(paths[1]), "2");
  FORMATETC request = Request(formats.ShellIdList);
  EXPECT_EQ(data->QueryGetData(&request), S_OK);
  // A name that cannot be parsed gives no array, and the query says so.
  source->Files()->Add(folder / "missing.txt");
  EXPECT_EQ(Render(data, formats.ShellIdList), E_OUTOFMEMORY);
  EXPECT_EQ(data->QueryGetData(&request), E_OUTOFMEMORY);
}

TEST_F(DropSourceTest, CopyAndCutPutTheFilesAndTheirEffect) {
  TTempFolder folder;
  ASSERT_TRUE(WriteTextFile(folder / "one.txt", "1"));
  SetFiles({folder / "one.txt"});
  ClipboardTestLock lock;
  for (DWORD effect : {DWORD{DROPEFFECT_COPY}, DWORD{DROPEFFECT_MOVE}}) {
    ASSERT_TRUE(effect == DROPEFFECT_COPY ? source->CopyToClipboard() : source->CutToClipboard());
    EXPECT_EQ(source->LastEffect(), effect);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE drop = GetClipboardData(CF_HDROP);
    HANDLE preferred = GetClipboardData(formats.PreferredDropEffect);
    std::vector<std::string> files = drop != nullptr ? DroppedFiles(static_cast<HDROP>(drop)) : std::vector<std::string>{};
    std::vector<uint8_t> value = preferred != nullptr ? BlockBytes(preferred) : std::vector<uint8_t>{};
    CloseClipboard();
    EXPECT_EQ(files, std::vector<std::string>{folder / "one.txt"});
    ASSERT_GE(value.size(), sizeof(DWORD));
    DWORD stored = 0;
    std::memcpy(&stored, value.data(), sizeof stored);
    EXPECT_EQ(stored, effect);
  }
  source->Files()->Clear();
  EXPECT_FALSE(source->CopyToClipboard());
}

// A derived source that says when it is freed.
class TWatchedSource : public TDropFileSource {
public:
  TWatchedSource(bool* freed) : TDropFileSource(nullptr), freed_(freed) {}
  ~TWatchedSource() override { *freed_ = true; }

private:
  bool* freed_;
};

// The enumerator holds the source: released by everyone else, the source
// and its table live until the enumerator goes.
TEST(FormatEnumerator, KeepsItsSourceAlive) {
  bool freed = false;
  auto* source = new TWatchedSource(&freed);
  IDataObject* data = source;
  IEnumFORMATETC* walker = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &walker), S_OK);
  EXPECT_EQ(source->RefCount(), 2);
  data->Release();  // the source's own reference: only the enumerator's is left
  EXPECT_FALSE(freed);
  FORMATETC record{};
  ULONG fetched = 0;
  EXPECT_EQ(walker->Skip(2), S_OK);
  EXPECT_EQ(walker->Next(1, &record, &fetched), S_OK);
  EXPECT_EQ(record.cfFormat, DragFormats().PreferredDropEffect);
  IEnumFORMATETC* copy = nullptr;
  ASSERT_EQ(walker->Clone(&copy), S_OK);
  EXPECT_EQ(copy->Next(1, &record, nullptr), S_OK);
  EXPECT_EQ(record.cfFormat, DragFormats().FileNameMap);  // the clone went on from the same place
  EXPECT_EQ(walker->Skip(5), S_FALSE);
  EXPECT_EQ(walker->Next(1, &record, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_EQ(walker->Reset(), S_OK);
  EXPECT_EQ(walker->Next(1, &record, &fetched), S_OK);
  EXPECT_EQ(record.cfFormat, static_cast<CLIPFORMAT>(CF_HDROP));
  walker->Release();
  EXPECT_FALSE(freed);
  copy->Release();
  EXPECT_TRUE(freed);
}

TEST_F(DropSourceTest, UnsupportedRequestsAnswerAsOleExpects) {
  IEnumFORMATETC* walker = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &walker), E_NOTIMPL);
  EXPECT_EQ(walker, nullptr);
  walker = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(data->EnumFormatEtc(3, &walker), E_INVALIDARG);
  EXPECT_EQ(walker, nullptr);
  FORMATETC in = Request(CF_HDROP), out{};
  EXPECT_EQ(data->GetCanonicalFormatEtc(&in, &out), DATA_S_SAMEFORMATETC);
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetDataHere(&in, &medium), E_NOTIMPL);
  EXPECT_EQ(data->SetData(&in, &medium, FALSE), E_NOTIMPL);
  DWORD connection = 0;
  EXPECT_EQ(data->DAdvise(&in, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->DUnadvise(0), OLE_E_ADVISENOTSUPPORTED);
  IEnumSTATDATA* advises = reinterpret_cast<IEnumSTATDATA*>(1);
  EXPECT_EQ(data->EnumDAdvise(&advises), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(advises, nullptr);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(data->QueryInterface(IID_IStream, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  IDropSource* dropSource = nullptr;
  ASSERT_EQ(data->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&dropSource)), S_OK);
  EXPECT_EQ(dropSource, static_cast<IDropSource*>(source));
  IUnknown* unknown = nullptr;
  ASSERT_EQ(dropSource->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(data));
  unknown->Release();
  dropSource->Release();
  EXPECT_EQ(source->RefCount(), 1);
}

// The drop decision at the end of a drag, from the latest feedback.
TEST_F(DropSourceTest, DragLoopAnswers) {
  IDropSource* drag = source;
  EXPECT_EQ(drag->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(drag->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(drag->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
  struct Case {
    DWORD feedback;
    TDragTypes allowed;
    HRESULT answer;
  };
  const Case cases[] = {
      {DROPEFFECT_COPY, DragTypeBit(dtCopy), DRAGDROP_S_DROP},
      {DROPEFFECT_LINK, DragTypeBit(dtCopy), DRAGDROP_S_CANCEL},  // a link-only target
      {DROPEFFECT_NONE, DragTypeBit(dtCopy), DRAGDROP_S_CANCEL},
      {DROPEFFECT_MOVE | DROPEFFECT_LINK, DragTypeBit(dtMove), DRAGDROP_S_DROP},
      {DROPEFFECT_COPY | DROPEFFECT_MOVE, DragTypeBit(dtMove), DRAGDROP_S_CANCEL},  // copy is asked first
  };
  for (const Case& c : cases) {
    source->SetDragtypes(c.allowed);
    EXPECT_EQ(drag->GiveFeedback(c.feedback), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(drag->QueryContinueDrag(FALSE, 0), c.answer) << c.feedback;
  }
  std::vector<TDragType> asked;
  source->OnDrop = [&](TObject*, TDragType type, bool& go) {
    asked.push_back(type);
    go = false;
  };
  source->OnFeedback = [](TObject*, int, bool& useDefault) { useDefault = false; };
  EXPECT_EQ(drag->GiveFeedback(DROPEFFECT_MOVE), S_OK);
  EXPECT_EQ(drag->QueryContinueDrag(FALSE, 0), DRAGDROP_S_CANCEL);
  EXPECT_EQ(asked, std::vector<TDragType>{dtMove});
  // A target asking for the preferred effect during the drag gets the latest feedback.
  SetFiles({"C:\\a.txt"});
  std::vector<uint8_t> bytes;
  ASSERT_EQ(Render(data, DragFormats().PreferredDropEffect, &bytes), S_OK);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{DROPEFFECT_MOVE, 0, 0, 0}));
}

TEST_F(DropSourceTest, DragImageFollowsItsImageList) {
  EXPECT_EQ(source->Dragtypes(), DragTypeBit(dtCopy));
  EXPECT_EQ(source->ImageHotSpotX(), 16);
  source->SetShowImage(true);
  EXPECT_FALSE(source->ShowImage());  // nothing to show
  auto* images = new TImageList(nullptr);
  TBitmap picture;
  picture.SetSize(32, 16);
  images->Add(&picture, nullptr);
  source->SetImages(images);
  EXPECT_TRUE(source->ShowImage());
  source->SetImageIndex(1);
  EXPECT_EQ(source->ImageIndex(), 1);
  source->SetImageIndex(7);  // past the images: ignored
  EXPECT_EQ(source->ImageIndex(), 1);
  source->SetImageIndex(-1);
  EXPECT_EQ(source->ImageIndex(), 0);
  EXPECT_FALSE(source->ShowImage());
  source->SetShowImage(true);
  delete images;
  EXPECT_EQ(source->Images(), nullptr);
  EXPECT_FALSE(source->ShowImage());
}

}  // namespace
