# kc_fuzzer(<name> LIBS <libraries>), one line per target.
