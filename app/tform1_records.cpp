// The children's table's part of the main window.
#include "app/tform1.h"

// The children's table arrives with the results store; until then answers
// are judged but not counted, and the buttons do nothing.
void TForm1::openResultsTable() {}
void TForm1::RecordResult(const QString &) {}
void TForm1::BitBtn6Click() {}
void TForm1::BitBtn7Click() {}
void TForm1::BitBtn8Click() {}
