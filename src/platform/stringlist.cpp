// The string list: items, and the list as CR LF lines in the ANSI code page.
#include "xan/platform/stringlist.h"

#include "xan/platform/locale.h"

namespace xan {

namespace {
const String kEmpty;
}  // namespace

int32_t TStringList::Add(StringView S) {
  FItems.emplace_back(S);
  return Count() - 1;
}

void TStringList::Insert(int32_t Index, StringView S) {
  if (Index < 0 || Index > Count()) return;
  FItems.emplace(FItems.begin() + Index, S);
}

void TStringList::Delete(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
}

const String& TStringList::Strings(int32_t Index) const noexcept {
  if (Index < 0 || Index >= Count()) return kEmpty;
  return FItems[static_cast<size_t>(Index)];
}

void TStringList::SetStrings(int32_t Index, StringView S) {
  if (Index < 0 || Index >= Count()) return;
  FItems[static_cast<size_t>(Index)] = S;
}

int32_t TStringList::IndexOf(StringView S) const noexcept {
  for (size_t i = 0; i < FItems.size(); ++i) {
    if (FCaseSensitive ? FItems[i] == S : LocaleSameText(FItems[i], S)) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

String TStringList::Text() const {
  String text;
  for (const String& item : FItems) {
    text += item;
    text += u"\r\n";
  }
  return text;
}

void TStringList::SetText(StringView Value) {
  std::vector<String> items;
  size_t start = 0;
  size_t i = 0;
  while (i < Value.size()) {
    const Char c = Value[i];
    if (c != u'\r' && c != u'\n') {
      ++i;
      continue;
    }
    items.emplace_back(Value.substr(start, i - start));
    i += (c == u'\r' && i + 1 < Value.size() && Value[i + 1] == u'\n') ? 2 : 1;
    start = i;
  }
  if (start < Value.size()) items.emplace_back(Value.substr(start));
  FItems = std::move(items);
}

void TStringList::LoadFromStream(TStream& Source) {
  std::string bytes;
  char block[65536];
  for (;;) {
    const int64_t n = Source.Read(block, sizeof block);
    if (n <= 0) break;
    bytes.append(block, static_cast<size_t>(n));
  }
  SetText(AnsiToString(bytes));
}

void TStringList::LoadFromFile(StringView FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

void TStringList::SaveToStream(TStream& Dest) const {
  const std::string bytes = StringToAnsi(Text());
  Dest.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TStringList::SaveToFile(StringView FileName) const {
  TFileStream file(FileName, fmCreate);
  SaveToStream(file);
  file.Flush();
}

}  // namespace xan
