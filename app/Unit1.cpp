#include "Unit1.h"

TForm1::TForm1(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Vantrel  V2.0")); }
