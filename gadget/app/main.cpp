// Entry point of the agent. For now it only reports what it is; the
// configuration, the collection engine and the window are added in turn.
#include <cstdio>

int main() {
  std::printf("Teskaro Ventaro v1.0\n");
  return 0;
}
