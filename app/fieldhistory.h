// The history of a text field: the lists of the file-name, text and folder
// fields remember what was searched, newest first.
#pragma once

// Moves text to the top of the field's list: every item equal to it (letter
// case counts) and every empty item goes, then text is put first. An empty
// text is not put in: it would push out the oldest real entry.
template <class Strings, class Text>
void MoveToHistoryTop(Strings& items, const Text& text) {
  for (int i = items.Count() - 1; i >= 0; --i) {
    const Text item = items.Get(i);
    if (item.empty() || item == text) items.Delete(i);
  }
  if (!text.empty()) items.Insert(0, text);
}
