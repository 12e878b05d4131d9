// tv-catalogue: prints the field catalogue of the gadget window, one
// tab-separated line per entry in creation order.
#include <iostream>

#include "gadget/window/field_catalogue.h"

int main() {
  for (const tv::FieldEntry& entry : tv::FieldCatalogue()) {
    std::cout << tv::CatalogueLine(entry) << '\n';
  }
  return std::cout ? 0 : 1;
}
