#include "standard_streams.h"
#include "tool_main.h"

int main(int argc, char **argv) {
  zur::platform::prepareStandardStreams();
  return toolMain(std::vector<std::string>(argv, argv + argc));
}
