#pragma once

// A platform service that tests replace with a double: the message boxes, the Save dialog, the
// clock, the random source and the browser. Each service derives from Replaceable<itself> and
// names its own implementation in a private static platformInstance(), befriending this template.
template <typename Service>
class Replaceable
{
public:
    // The replacement while one is installed, otherwise the program's own implementation.
    static Service &instance() { return sReplacement ? *sReplacement : Service::platformInstance(); }

    // Installs a replacement; nullptr restores the program's own. The caller keeps ownership.
    static void setInstance(Service *replacement) { sReplacement = replacement; }

private:
    static inline Service *sReplacement = nullptr;
};
