#include "LastResort.h"
#include "Application.h"
#include "Unit1.h"

int main(int argc, char** argv) {
  TGuardedApplication app(argc, argv);
  Application().SetTitle("Korlit");
  TForm1 form;
  form.show();
  return app.exec();
}
