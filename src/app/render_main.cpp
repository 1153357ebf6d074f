// pelorin-render: the scene of config.txt drawn into a PNG file, with no
// window and no display server. See RenderUsage for the options.
#include <iostream>
#include <string>
#include <vector>

#include "freed_memory.h"
#include "render_job.h"
#include "render_options.h"

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "error: " << parsed.error << std::endl;
        return 2;
    }
    if (parsed.options.help) {
        std::cout << RenderUsage();
        return 0;
    }
    KeepFreedMemoryForReuse();
    return RunRender(parsed.options);
}
