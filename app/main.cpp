#include "Application.h"
#include "LastResort.h"
#include "ProcessStart.h"
#include "RunCommandLine.h"
#include "Ticker.h"
#include "Unit1.h"

int main(int argc, char** argv) {
  PrepareProcess();
  // Any argument asks for the command line, which needs no display.
  if (argc > 1) return RunCommandLine(argc, argv);
  TGuardedApplication app(argc, argv);
  SetTickerMaker(MakeEventLoopTicker);
  Application().SetTitle("Korlit");
  TForm1 form;
  form.show();
  return app.exec();
}
