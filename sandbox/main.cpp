#include "sandbox/decoderservice.h"

int main(int argc, char **argv)
{
    return DecoderService::main(argc, argv);
}
