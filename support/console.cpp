#include "support/console.h"

#include <iostream>

void WriteLine(std::string text) { std::cout << text << std::endl; }
