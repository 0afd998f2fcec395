#include "app/F01.h"
#include "app/QuorelApp.h"

int main(int argc, char** argv) {
  TQuorelApplication app(argc, argv);
  try {
    FQuorel = new TFQuorel;
    FQuorel->show();
    app.exec();
  } catch (...) {
    app.ReportException(std::current_exception());
  }
  delete FQuorel;
  return 0;
}
