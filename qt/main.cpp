#include "qt/QuorelApp.h"

int main(int argc, char** argv) {
  return RunQuorel(argc, argv);
}
