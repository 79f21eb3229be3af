# kc_fuzzer(<name> LIBS <libraries>), one line per target.
kc_fuzzer(ini_store LIBS kc_platform)
kc_fuzzer(message LIBS kc_core)
kc_fuzzer(gif LIBS kc_widgets)
kc_fuzzer(rtf LIBS kc_richtext_controls)
kc_fuzzer(codepage LIBS kc_richtext_document)
kc_fuzzer(styleini LIBS kc_richtext_document)
kc_fuzzer(receive LIBS kc_core)
kc_fuzzer(rvitems LIBS kc_richtext_document)
