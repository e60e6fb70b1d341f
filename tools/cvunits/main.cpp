#include <iostream>

int main() {
    std::cout << "usage: cvunits parse EXPR\n";
    return 0;
}
