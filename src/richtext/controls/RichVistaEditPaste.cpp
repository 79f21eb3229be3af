// Pasting from the clipboard into the editor: the first format the
// clipboard holds wins (RVF, RTF, text, a bitmap); the readers of those
// formats are shared with drops.
#include <QMimeData>

#include "platform/CodePage.h"
#include "platform/DataObject.h"
#include "platform/Log.h"
#include "richtext/controls/RVDropTarget.h"
#include "richtext/controls/RVRTFImport.h"
#include "richtext/controls/RichVistaEdit.h"

namespace kc {

bool TCustomRichVistaEdit::CanPaste() const {
  const DataObject data = DataObject::clipboard();
  for (unsigned f : {unsigned(DataObject::cfText), unsigned(DataObject::cfUnicodeText), unsigned(DataObject::cfBitmap),
                     CF_RTF(), CF_RVF()})
    if (data.hasFormat(f)) return true;
  return false;
}

bool TCustomRichVistaEdit::CanPasteFormat(unsigned Format) const {
  if (GetReadOnly()) return false;
  if (Format == 0) return CanPaste();
  switch (Format) {
  case DataObject::cfText:
  case DataObject::cfBitmap:
  case DataObject::cfMetafilePict:
  case DataObject::cfUnicodeText: return DataObject::clipboard().hasFormat(Format);
  default: break;
  }
  return (Format == CF_RTF() || Format == CF_RVF()) && DataObject::clipboard().hasFormat(Format);
}

void TCustomRichVistaEdit::Paste() {
  try {
    if (!CanChange()) return;
    bool doDefault = true;
    if (OnPaste) OnPaste(GetOutermostEditor(), doDefault);
    if (!doDefault) return;
    const DataObject data = DataObject::clipboard();
    const unsigned format = ChoosePasteFormat(HasFormatOf(data), IsCurrentStyleUnicode(*this));
    if (format != 0) PasteFormat(data, format);
  } catch (...) {
    LogCaughtException("paste");
  }
}

bool TCustomRichVistaEdit::PasteFormat(const DataObject &Data, unsigned Format) {
  if (Format == CF_RVF()) return InsertRVFBlock(Data.bytes(CF_RVF()));
  if (Format == CF_RTF()) {
    const std::string base = Data.hasFormat(CF_HTML()) ? BasePathOfHtmlBlock(Data.bytes(CF_HTML())) : std::string();
    return InsertRTFWithBase(Data.bytes(CF_RTF()), base);
  }
  switch (Format) {
  case DataObject::cfUnicodeText: return InsertTextOf(Data, true);
  case DataObject::cfText: return InsertTextOf(Data, false);
  case DataObject::cfBitmap: return InsertBitmapOf(Data, false);
  default: return false;
  }
}

bool TCustomRichVistaEdit::PasteRVF() { return PasteFormat(DataObject::clipboard(), CF_RVF()); }
bool TCustomRichVistaEdit::PasteRTF() { return PasteFormat(DataObject::clipboard(), CF_RTF()); }
bool TCustomRichVistaEdit::PasteText() { return PasteFormat(DataObject::clipboard(), DataObject::cfText); }
bool TCustomRichVistaEdit::PasteTextW() { return PasteFormat(DataObject::clipboard(), DataObject::cfUnicodeText); }
bool TCustomRichVistaEdit::PasteBitmap(bool TextAsName) { return InsertBitmapOf(DataObject::clipboard(), TextAsName); }

// ------------------------------------------------------------- readers

bool TCustomRichVistaEdit::InsertRVFBlock(std::string_view Block) {
  std::string_view rvf;
  if (!RVFOfClipboardBlock(Block, rvf)) {
    // A length that runs past the block: damaged data, nothing is touched.
    InnermostEditor()->EditData()->Beep();
    return false;
  }
  if (rvf.empty()) return false;
  return InsertRVFFromStreamEd(rvf);
}

bool TCustomRichVistaEdit::InsertRTFWithBase(std::string_view Rtf, const std::string &BasePath) {
  if (Rtf.empty()) return false;
  TRVRTFReaderProperties &props = RTFReadProperties();
  props.LinkBasePath = BasePath;
  struct TEmptyBase {
    std::string &Path;
    ~TEmptyBase() { Path.clear(); }
  } emptyBase{props.LinkBasePath};
  return InsertRTFFromStreamEd(Rtf);
}

bool TCustomRichVistaEdit::InsertTextOf(const DataObject &Data, bool Unicode) {
  if (Unicode) {
    const std::u16string text = TextWithCrLf(Data.unicodeText());
    if (text.empty()) return false;
    return RunInsertion([&](TRVEditRVData &d) {
      d.InsertTextW(text, false);
      return true;
    });
  }
  // The 8-bit text in the code page of the style it goes into.
  TRVEditRVData *inner = InnermostEditor()->EditData();
  const std::string text = TextWithCrLf(Data.ansiText(inner->GetStyleCodePage(inner->CurTextStyleNo)));
  if (text.empty()) return false;
  return RunInsertion([&](TRVEditRVData &d) {
    d.InsertTextA(text, false);
    return true;
  });
}

bool TCustomRichVistaEdit::InsertBitmapOf(const DataObject &Data, bool TextAsName) {
  QImage image = Data.image();
  if (image.isNull()) return false;
  std::string name;
  if (TextAsName) {
    TRVEditRVData *inner = InnermostEditor()->EditData();
    name = Data.ansiText(inner->GetStyleCodePage(inner->CurTextStyleNo));
  }
  return InsertPicture(name, std::make_unique<TBitmap>(std::move(image)), rvvaBaseline);
}

} // namespace kc
