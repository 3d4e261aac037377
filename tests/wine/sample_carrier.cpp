// A real DLL that Windows will load, with room in its data for the first bytes of a sample
// DLL file. The tests copy it and write a sample's bytes over the room, so that a host
// process can load a file that the check judges like that sample. The room starts with a
// marker that the tests look for and lies well inside the part of the file the check reads.
extern "C" __declspec(dllexport) const
    unsigned char QuentixSampleRoom[8192] = "QUENTIX SAMPLE ROOM: the bytes of a sample go here";
