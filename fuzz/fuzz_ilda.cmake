trellion_add_fuzzer(fuzz_ilda SOURCES fuzz_ilda.cpp LIBS trellion_ilda)
