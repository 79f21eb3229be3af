#pragma once
// Items moved from one document to another (a table cell's items into the
// cell's editor and back) keep their controls: those become windows of the
// new document's control.
namespace kc {

class TCustomRVData;

// Every control of Doc's items becomes a child of Doc's control, hidden
// until the next pass places it.
void AdoptItemControls(TCustomRVData &Doc);

} // namespace kc
