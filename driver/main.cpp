#include "driver/dispatcher.h"

int main(int argc, char** argv) { return ProcedureDispatcher(argc, argv); }
