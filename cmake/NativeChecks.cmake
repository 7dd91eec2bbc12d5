# Native builds run the product logic against the recording substitute, with
# AddressSanitizer and UBSan watching every test.
option(VELLUMARK_SANITIZE "Build native tests with ASan and UBSan" ON)
if(VELLUMARK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
