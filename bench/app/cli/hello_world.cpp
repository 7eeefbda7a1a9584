// The reference for the command-line start-up benchmark: the smallest C++ program that prints one
// line with iostream.

#include <iostream>

int main() {
    std::cout << "(A55A#1*192.168.1.100*6000#3*CMNET#4*TQ-GP000001)" << std::endl;
}
