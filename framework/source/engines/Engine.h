// Root of every engine: the algorithms a page's stages call.
#pragma once

namespace Tarvel {

class Engine {
public:
    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    virtual ~Engine() = default;
};

} // namespace Tarvel
