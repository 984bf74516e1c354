#include "grid/didagrid.h"

namespace pelmora {

DiDaGrid::DiDaGrid(QWidget* parent) : QTableWidget(parent) {}
void DiDaGrid::SetColCount(int) {}
void DiDaGrid::SetColWidth(int, int) {}
void DiDaGrid::ClearRows() {}
void DiDaGrid::SetRowCount(int) {}
void DiDaGrid::SetCellText(int, int, const QString&) {}
QString DiDaGrid::GetCellText(int, int) const { return {}; }
void DiDaGrid::SetCellColor(int, int, uint32_t) {}
void DiDaGrid::SetRowColor(int, uint32_t) {}
uint32_t DiDaGrid::GetCellColor(int, int) const { return 0xFFFFFF; }
void DiDaGrid::SetCellStyle(int, int, int) {}
void DiDaGrid::SetCellProperty(int, int, const QString&, const QString&) {}
QString DiDaGrid::GetCellProperty(int, int, const QString&) const { return QStringLiteral("0"); }
void DiDaGrid::DeleteRow(int, int) {}
void DiDaGrid::RefreshGrid() {}
int DiDaGrid::ControlWidth() const { return width(); }

}  // namespace pelmora
