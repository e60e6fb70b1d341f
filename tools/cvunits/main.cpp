#include "units/expr/ParseUnitExpr.hpp"
#include "units/host/IException.hpp"
#include "units/host/TextServices.hpp"

#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

using CvUnitSys::TextServices;

constexpr int exitSuccess = 0;
constexpr int exitUserError = 1;
constexpr int exitUsage = 2;

void printUsage(std::ostream& out) {
    out << "usage: cvunits parse EXPR\n"
           "\n"
           "  parse EXPR   print each symbol of the unit expression with its exponent,\n"
           "               as numerator:denominator parts and as the simplified power\n"
           "\n"
           "examples:\n"
           "  cvunits parse 'kg*m/s^2'\n"
           "  cvunits parse 'm^(1/2)'\n";
}

int parseCommand(const std::string& text) {
    UnitExpr expr;
    try {
        parseUnitExprThrows(TextServices::fromUtf8(text), expr);
    } catch (const CvUnitSys::IUserException& e) {
        std::cerr << "error: " << e.what() << '\n';
        return exitUserError;
    } catch (const std::out_of_range&) {
        std::cerr << "error: the expression is not valid Unicode text\n";
        return exitUserError;
    }
    for (const auto& [symbol, exponent] : expr.getExpr()) {
        std::cout << TextServices::toUtf8(symbol) << '\t'
                  << TextServices::toUtf8(exponent.toUString()) << '\t'
                  << exponent.getSimplifiedExpo() << '\n';
    }
    return exitSuccess;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(std::cout);
        return exitSuccess;
    }
    if (argc == 3 && std::strcmp(argv[1], "parse") == 0) {
        return parseCommand(argv[2]);
    }
    printUsage(std::cerr);
    return exitUsage;
}
