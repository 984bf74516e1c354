#pragma once
#include <QDialog>

namespace pelmora {

class Form1;

// The options dialog: reloads the settings on opening, saves them on Command1.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(Form1& form, QWidget* parent = nullptr);

private:
    Form1& form_;
};

}  // namespace pelmora
