// Gives the shared precompiled test headers a target of their own (see CMakeLists.txt).
