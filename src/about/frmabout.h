#pragma once
#include <QDialog>

namespace pelmora {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

}  // namespace pelmora
