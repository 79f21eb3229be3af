# kc_fuzzer(<name> LIBS <libraries>), one line per target.
kc_fuzzer(message LIBS kc_core)
