// libFuzzer target: the program's three stages on the fuzzer's bytes as
// standard input, its standard output caught in memory and checked. They run
// here, on the fuzzer's own stack, rather than through main, which would
// make a thread with a stack of a gigabyte for every input; with a depth
// limit of a few dozen levels, so that inputs within the fuzzer's length
// reach it.

#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <vector>

#define main prj1b_main
#include "../../src/prj1b.cpp" // NOLINT(bugprone-suspicious-include): one source, main renamed
#undef main

namespace {

bool armato;
TREEPTR radice; // the first node the reader allocates: the root

void dopomalloc(const volatile void *p, size_t n)
{
	if (armato && radice == nullptr && n == sizeof(TREE))
		radice = static_cast<TREEPTR>(const_cast<void *>(p));
}

void dopofree(const volatile void * /*p*/)
{
}

// The program never frees its tree; the fuzzer must, or it runs out of memory.
void libera(TREEPTR t)
{
	std::vector<TREEPTR> v;
	if (t != nullptr)
		v.push_back(t);
	while (!v.empty()) {
		t = v.back();
		v.pop_back();
		if (t->leftPtr != nullptr)
			v.push_back(t->leftPtr);
		if (t->rightPtr != nullptr)
			v.push_back(t->rightPtr);
		std::free(t);
	}
}

bool flags(const char *s, const char *e)
{
	int n = 0;
	for (const char *p = s; p < e; p++)
		if (*p == ' ')
			n++;
		else if (!std::isdigit(static_cast<unsigned char>(*p)) && *p != '-')
			return false;
	return n == 1 && s < e && e[-1] != ' ';
}

// What can be told of the output without a second implementation: at its
// start, the identification block, or one of the two messages and then the
// block; then pairs of lines, the first a flags line. A status other than 0
// only with a message, since a file in memory neither fails to read nor to
// write.
void controlla(const char *buf, size_t len)
{
	static const char id[] =
	        "Tavrel Onbek\nRuvis Melqard\n07\n12\n2026\ntavrel.onbek@example.org\n";
	static const char *const messaggi[] = {"albero troppo profondo\n", "niente memoria\n"};
	const char *p = buf, *fine = buf + len;
	size_t righe = 0;
	bool messaggio = false;

	for (const char *m : messaggi)
		if (len >= std::strlen(m) && std::memcmp(buf, m, std::strlen(m)) == 0) {
			p += std::strlen(m);
			messaggio = true;
		}
	if (rc != (messaggio ? 1 : 0) || len == 0 || buf[len - 1] != '\n' ||
	    static_cast<size_t>(fine - p) < sizeof id - 1 || std::memcmp(p, id, sizeof id - 1) != 0)
		std::abort();
	p += sizeof id - 1;
	const char *nl = static_cast<const char *>(std::memchr(p, '\n', fine - p));
	if (nl == nullptr || !flags(p, nl))
		std::abort(); // the listing starts with a flags line
	for (; p < fine; p++)
		righe += *p == '\n';
	if (righe % 2 != 0)
		std::abort();
}

} // namespace

// ASan keeps the call stack of every allocation for its reports, and the
// reader's recursion makes a new one for every path down a tree: with ASan's
// 30 frames they pile up without end, until libFuzzer stops a long run for
// want of memory. Twelve frames still show the reader's last ten levels.
// ASAN_OPTIONS can still ask for more.
// NOLINTNEXTLINE(bugprone-reserved-identifier,readability-identifier-naming): ASan's name
extern "C" const char *__asan_default_options()
{
	return "malloc_context_size=12";
}

// NOLINTNEXTLINE(readability-identifier-naming): libFuzzer's name
extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
	__sanitizer_install_malloc_and_free_hooks(dopomalloc, dopofree);
	return 0;
}

// NOLINTNEXTLINE(readability-identifier-naming): libFuzzer's name
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
	static char vuoto[1];
	char *buf = nullptr;
	size_t len = 0;
	FILE *in = size == 0 ? fmemopen(vuoto, 1, "r")
	                     : fmemopen(const_cast<uint8_t *>(data), size, "r");
	FILE *out = open_memstream(&buf, &len);
	FILE *vecchioin = stdin, *vecchioout = stdout;

	if (livello != 0)
		std::abort(); // the reader did not climb back out of the last input
	if (in == nullptr || out == nullptr)
		std::abort();
	if (size == 0)
		std::fgetc(in); // an empty stream
	stdin = in;
	stdout = out; // esegui closes it, which leaves buf and len set
	radice = nullptr;
	armato = true;
	limite = 40;
	esegui();
	armato = false;
	stdin = vecchioin;
	stdout = vecchioout;
	std::fclose(in);
	controlla(buf, len);
	std::free(buf);
	libera(radice);
	return 0;
}
