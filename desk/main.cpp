#include <cstdio>

int main() {
  std::puts("usage: vurkarx-desk tour [--out DIR] | run SCENARIO [--sandbox DIR] [--out DIR]");
  return 2;
}
