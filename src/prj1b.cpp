// prj1b: read a binary tree of named nodes in pre-order from standard input,
// then write an identification block and a listing of the tree.
//
// Each input record is a left flag, a right flag and a one-word name; a
// nonzero flag means the records of that subtree follow. The listing gives
// every node a flags line in pre-order and a name line in post-order, the
// name reversed at depths 0, 3, 6, ...
//
// The reader and the printer recurse once per level of the tree, so a deep
// tree needs a deep stack: main runs them on a thread whose stack holds
// maxlivelli levels, or as many as the memory limits leave room for, and
// the depth limit follows from the stack obtained. Past it, as when the heap
// is exhausted, reading stops with a message and what was read is listed.
// The exit status is 0 only for a whole listing; a failed read or write is
// named on standard error. What is not ISO C++ is at the end of the file.

#ifdef _WIN32
#define _CRT_SECURE_NO_WARNINGS // scanf is the input format, not an oversight
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The platform part, at the end of the file.
static void flussi();                      // binary streams, SIGXFSZ; faster stdio, malloc
static bool infilo(void (*f)(), size_t n); // f on a new thread, with an n-byte stack
static size_t spazio();                    // the most that can still be mapped; SIZE_MAX: no bound
static size_t pilamain();                  // the main thread's stack still free below here
static void tocca(size_t n);               // map n bytes of the main thread's stack now

struct treenode {
	char stringa[50]; // at most 49 bytes and the terminating zero
	int sinistro;
	int destro;
	treenode *leftPtr;
	treenode *rightPtr;
};
using TREE = treenode;
using TREEPTR = TREE *;

// The deepest tree read, in levels. Deeper input is cut off with a message.
static const long maxlivelli = 1000000;
// Stack that one level of reading or printing may take in any build here,
// sanitizer builds included: were it too little for one, the tests' chain
// of maxlivelli levels would overflow there.
static const size_t perlivello = 1024;
// Stack for the C library's own calls at the deepest level.
static const size_t riserva = 256UL * 1024;
static const size_t pilapiena = (maxlivelli * perlivello) + riserva;
static const size_t pilaminima = 64UL * 1024;

static long limite = maxlivelli; // the depth limit: the levels the stack holds
static long livello;             // levels the reader is inside
static bool fermo;               // set when a limit cut the tree short
static int errin, errout;        // errno of the failed read or write, or 0
static int rc;                   // the exit status

// The levels a stack of n bytes holds, leaving room for the C library.
static long livelli(size_t n)
{
	size_t r = n / 4 < riserva ? n / 4 : riserva;

	n = (n - r) / perlivello;
	return n < static_cast<size_t>(maxlivelli) ? static_cast<long>(n) : maxlivelli;
}

// Notes in *err the cause of the call that just failed, unless an earlier
// failure is noted there already: errno, or EIO where the call set none.
static void nota(int *err)
{
	if (*err == 0)
		*err = errno != 0 ? errno : EIO;
}

// True while stream f is sound. Called after each read or write that may
// fail, before any other call can change errno, so that the first failure
// is noted with its cause. (The messages and the identification block go
// into the empty 64 KiB output buffer: they cannot fail.)
static bool sano(FILE *f, int *err)
{
	if (std::ferror(f))
		nota(err);
	return *err == 0;
}

// Names on standard error the stream that failed, and why. For a number it
// has no text for, glibc's strerror makes one on the heap, and once the heap
// is exhausted it may give a null pointer instead: the number stands in.
static void dici(const char *flusso, int err)
{
	const char *perche = std::strerror(err);

	if (perche != nullptr)
		std::fprintf(stderr, "prj1b: %s: %s\n", flusso, perche);
	else
		std::fprintf(stderr, "prj1b: %s: Unknown error %d\n", flusso, err);
}

// Bytes of the well-formed UTF-8 character that starts at s, which has n
// bytes left; 1 for ASCII and for a byte that starts no such character.
static int lungo(const unsigned char *s, int n)
{
	int len, i;
	unsigned char lo = 0x80, hi = 0xbf;

	if (s[0] < 0xc2 || s[0] > 0xf4)
		return 1;
	if (s[0] < 0xe0)
		len = 2;
	else if (s[0] < 0xf0)
		len = 3;
	else
		len = 4;
	if (s[0] == 0xe0)
		lo = 0xa0; // shorter forms are overlong
	else if (s[0] == 0xed)
		hi = 0x9f; // surrogates
	else if (s[0] == 0xf0)
		lo = 0x90; // overlong
	else if (s[0] == 0xf4)
		hi = 0x8f; // past U+10FFFF
	if (len > n || s[1] < lo || s[1] > hi)
		return 1;
	for (i = 2; i < len; i++)
		if (s[i] < 0x80 || s[i] > 0xbf)
			return 1;
	return len;
}

// The next byte of the word being read, or EOF where the word ends.
static int lettera()
{
	int c = std::getchar();

	if (c == EOF)
		sano(stdin, &errin);
	else if (std::isspace(c)) {
		std::ungetc(c, stdin);
		return EOF;
	}
	return c;
}

// st holds the first 49 bytes of a longer word, or of one exactly that long.
// If the word goes on, drop the rest of it, and with it the bytes of a
// character that the cut would split.
static void taglia(char *st)
{
	unsigned char w[52];
	int c, i, n, m;

	std::memcpy(w, st, 49);
	for (m = 0; m < 3 && (c = lettera()) != EOF; m++)
		w[49 + m] = static_cast<unsigned char>(c);
	if (m == 0)
		return;
	for (i = 0; i < 49; i += n) {
		n = lungo(w + i, 49 + m - i);
		if (i + n > 49) {
			std::memset(st + i, 0, 49 - i);
			break;
		}
	}
	while (lettera() != EOF)
		;
}

// A flag, read as "%lld" reads one: whitespace (isspace) skipped, an
// optional sign, then decimal digits up to the first byte that is not one,
// which is left unread. As with scanf, a sign without a digit after it is
// used up and nothing is read. Unlike scanf, which copies every digit before
// it converts, this keeps no more digits than the value needs, so a numeral
// of any length takes no memory and saturates. False where there was none.
static bool numero(long long *v)
{
	int c, meno = 0;
	long long n = 0;

	do
		c = std::getchar();
	while (c != EOF && std::isspace(c));
	if (c == '-' || c == '+') {
		meno = c == '-';
		c = std::getchar();
	}
	if (c < '0' || c > '9') {
		if (c != EOF)
			std::ungetc(c, stdin);
		return false;
	}
	for (; c >= '0' && c <= '9'; c = std::getchar())
		if (n <= INT_MAX)
			n = n * 10 + (c - '0');
	if (c != EOF)
		std::ungetc(c, stdin);
	*v = meno ? -n : n;
	return true;
}

// A flag outside 32 bits keeps its sign and stays nonzero.
static int satura(long long v)
{
	if (v > INT_MAX)
		return INT_MAX;
	if (v < INT_MIN)
		return INT_MIN;
	return static_cast<int>(v);
}

// Reads one record into *radice, then the subtrees it promises. A read that
// fails ends the input there: what is still due reads as at end of input.
static void creaalbero(TREEPTR *radice)
{
	long long s = 0, d = 0;
	char st[50] = {};
	bool nome, pieno;

	if (fermo)
		return;
	if (livello == limite) {
		// With no room for even the root, memory is short, not depth.
		std::printf(livello == 0 ? "niente memoria\n" : "albero troppo profondo\n");
		fermo = true;
		return;
	}
	if (*radice == nullptr) {
		*radice = static_cast<TREEPTR>(std::malloc(sizeof(TREE)));
		if (*radice == nullptr) {
			std::printf("niente memoria\n");
			fermo = true;
			return;
		}
		(*radice)->leftPtr = nullptr;
		(*radice)->rightPtr = nullptr;
	}
	if (sano(stdin, &errin) && numero(&s) && sano(stdin, &errin))
		numero(&d);
	(*radice)->sinistro = satura(s);
	(*radice)->destro = satura(d);
	// Whether "%49s" filled st, and the word may go on: only then does it
	// write its terminating zero at st[49]. A mark put there first tells,
	// where the length cannot, as a name may hold zero bytes of its own.
	st[49] = 1;
	nome = sano(stdin, &errin) && std::scanf("%49s", st) == 1;
	pieno = nome && st[49] == '\0';
	if (sano(stdin, &errin) && pieno)
		taglia(st);
	st[49] = '\0'; // in place of the mark
	std::memcpy((*radice)->stringa, st, sizeof st);
	livello++;
	if (s != 0)
		creaalbero(&(*radice)->leftPtr);
	if (d != 0)
		creaalbero(&(*radice)->rightPtr);
	livello--;
}

// Reverse the k bytes of st1 into st2 character by character, so that a
// multi-byte character keeps its bytes in order.
static void rovescia(const char *st1, char *st2, int k)
{
	const auto *s = reinterpret_cast<const unsigned char *>(st1);
	int i = 0, j, n;

	while (i < k) {
		n = lungo(s + i, k - i);
		for (j = 0; j < n; j++)
			st2[k - i - n + j] = st1[i + j];
		i += n;
	}
}

// Once a write has failed, nothing more is formatted.
static void printalbero(TREEPTR radice, int conta)
{
	char st1[50] = {}, st2[50] = {};
	bool rovescio = conta % 3 == 0;

	if (radice == nullptr || !sano(stdout, &errout))
		return;
	if (rovescio) {
		// The reader ends every stringa within its 50 bytes, so it fits.
		std::sprintf(st1, "%s", radice->stringa);
		rovescia(st1, st2, static_cast<int>(std::strlen(st1)));
	}
	std::printf("%d %d\n", radice->sinistro, radice->destro);
	printalbero(radice->leftPtr, conta + 1);
	printalbero(radice->rightPtr, conta + 1);
	if (sano(stdout, &errout))
		std::printf("%s\n", rovescio ? st2 : radice->stringa);
}

// The three stages: read the tree, write the identification block, list
// the tree. Then close the output, where a file system may report at last
// that the data could not be kept, and name what failed on standard error.
// The exit status is 0 only when the whole tree was read and listed.
static void esegui()
{
	int dist = 0;
	TREEPTR Alb = nullptr;

	fermo = false;
	livello = 0;
	errin = errout = 0;
	creaalbero(&Alb);
	sano(stdin, &errin); // the last word on input: no failed read passes
	std::printf("Tavrel Onbek\nRuvis Melqard\n");
	std::printf("%02d\n%02d\n%04d\n%s\n", 7, 12, 2026, "tavrel.onbek@example.org");
	printalbero(Alb, dist);
	sano(stdout, &errout);
	if (std::fclose(stdout) != 0)
		nota(&errout);
	if (errin != 0)
		dici("standard input", errin);
	if (errout != 0)
		dici("standard output", errout);
	rc = fermo || errin != 0 || errout != 0 ? 1 : 0;
}

// The stack is a quarter of the address space left when the program
// starts, and the heap has the rest, so that both grow with a limit; where
// that stack is not to be had, smaller ones are tried. The stages run on
// the main thread only where no thread can be made, or where too little is
// left for even the smallest stack.
int main()
{
	static char obuf[64 * 1024], ebuf[256];
	size_t libero, n;
	bool vincolato; // what can be mapped is bounded, as by ulimit -v

	// For speed: once the heap is exhausted, stdio could get no buffer and
	// would write the listing a byte at a time; and Microsoft's BUFSIZ is
	// 512 bytes.
	std::setvbuf(stdout, obuf, _IOFBF, sizeof obuf);
	// Unbuffered, glibc would format a message on stderr in 8 KiB of stack,
	// more than a small stack may have left.
	std::setvbuf(stderr, ebuf, _IOLBF, sizeof ebuf);
	flussi();
	libero = spazio();
	vincolato = libero != SIZE_MAX;
	for (n = std::min(libero / 4, pilapiena); n >= pilaminima; n /= 2) {
		n -= n % pilaminima; // whole pages, as POSIX may require
		limite = livelli(n);
		if (infilo(esegui, n))
			return rc;
	}
	n = std::min(libero / 4, pilamain());
	limite = livelli(n);
	if (vincolato)
		tocca(n); // before the heap can take its room
	esegui();
	return rc;
}

// ---- The platform part: all that is not ISO C++, behind the platform's own macros.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/auxv.h>
#endif
#endif
#ifdef __GLIBC__
#include <malloc.h>
#include <stdio_ext.h>
#endif

static void flussi()
{
#ifdef _WIN32
	// Text mode would write CR LF and end the input at the first 0x1A.
	_setmode(_fileno(stdin), _O_BINARY);
	_setmode(_fileno(stdout), _O_BINARY);
	_setmode(_fileno(stderr), _O_BINARY);
#else
	// Past ulimit -f, a write fails with EFBIG and is named like any other.
	std::signal(SIGXFSZ, SIG_IGN);
#endif
#ifdef __GLIBC__
	// For speed alone: one thread at a time uses the streams.
	__fsetlocking(stdin, FSETLOCKING_BYCALLER);
	__fsetlocking(stdout, FSETLOCKING_BYCALLER);
	// For speed alone: keep the nodes in the main heap. A thread's arena
	// grows by many small mappings, which cost the kernel time.
	mallopt(M_ARENA_MAX, 1);
#endif
}

#ifdef _WIN32
static DWORD WINAPI avvia(LPVOID f)
{
	(*static_cast<void (**)()>(f))();
	return 0;
}

// Only reserved: pages are committed as deep as the tree goes.
static bool infilo(void (*f)(), size_t n)
{
	HANDLE t = CreateThread(nullptr, n, avvia, static_cast<void *>(&f),
	                        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);

	if (t == nullptr)
		return false;
	WaitForSingleObject(t, INFINITE);
	CloseHandle(t);
	return true;
}

// What is left of the address space, less than the whole of it on 32 bits.
static size_t spazio()
{
	MEMORYSTATUSEX m = {};

	m.dwLength = sizeof m;
	if (GlobalMemoryStatusEx(&m) == 0 || m.ullAvailVirtual > SIZE_MAX)
		return SIZE_MAX;
	return static_cast<size_t>(m.ullAvailVirtual);
}

// From here down to the base of the reservation the linker asked for.
static size_t pilamain()
{
	MEMORY_BASIC_INFORMATION m = {};
	char qui = 0;

	if (VirtualQuery(&qui, &m, sizeof m) == 0)
		return 0;
	return static_cast<size_t>(&qui - static_cast<char *>(m.AllocationBase));
}

static void tocca(size_t /*n*/) // the reservation is whole from the start
{
}

#else
static void *avvia(void *f)
{
	(*static_cast<void (**)()>(f))();
	return nullptr;
}

// The whole stack is mapped when the thread is made, so ulimit cannot
// refuse it later as it grows; overcommit or a memory cgroup still could.
static bool infilo(void (*f)(), size_t n)
{
	pthread_attr_t a;
	pthread_t t;

	if (pthread_attr_init(&a) != 0)
		return false;
	bool ok = pthread_attr_setstacksize(&a, n) == 0 &&
	          pthread_create(&t, &a, avvia, static_cast<void *>(&f)) == 0;
	pthread_attr_destroy(&a);
	if (ok)
		pthread_join(t, nullptr);
	return ok;
}

// The soft limit on a resource, or SIZE_MAX where there is none.
static size_t limitato(int risorsa)
{
	struct rlimit r = {};

	if (getrlimit(risorsa, &r) == 0 && r.rlim_cur < SIZE_MAX)
		return static_cast<size_t>(r.rlim_cur);
	return SIZE_MAX;
}

// The largest mapping that can still be made, found by trying: it meets
// ulimit -v, and on Linux ulimit -d, as the heap and a thread's stack will.
static size_t spazio()
{
	size_t lo = 0, m, hi = std::min(limitato(RLIMIT_AS), limitato(RLIMIT_DATA));

	if (hi == SIZE_MAX)
		return SIZE_MAX;
	while (lo < hi) { // lo bytes fit, more than hi do not
		m = hi - (hi - lo) / 2;
		// cppcheck-suppress invalidFunctionArg ; -1: no file
		void *p = mmap(nullptr, m, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANON, -1, 0);
		// cppcheck-suppress nullPointerOutOfMemory ; mmap fails with MAP_FAILED, never null
		if (p != MAP_FAILED && munmap(p, m) == 0)
			lo = m;
		else
			hi = m - 1;
	}
	return lo;
}

// ulimit -s bounds the stack mapping in whole pages. Linux ends that mapping
// with the program's path name and a null pointer, above the arguments and
// the environment; without AT_EXECFN, what lies above here goes uncounted.
static size_t pilamain()
{
	char qui = 0;
	auto qua = reinterpret_cast<uintptr_t>(&qui), cima = qua;
	size_t tetto = limitato(RLIMIT_STACK), pg = static_cast<size_t>(sysconf(_SC_PAGESIZE));
#ifdef AT_EXECFN
	// NOLINTNEXTLINE(performance-no-int-to-ptr): getauxval gives an address
	if (const auto *nome = reinterpret_cast<const char *>(getauxval(AT_EXECFN)))
		cima = reinterpret_cast<uintptr_t>(nome) + std::strlen(nome) + 1 + sizeof(void *);
#endif
	size_t usati = cima - qua + pg; // the lowest page counts whole

	return tetto > usati ? tetto - usati : 0;
}

// Under ulimit -v the heap may use up the room the main thread's stack must
// still grow into, and that growth would end in SIGSEGV. A touch n bytes
// below here has Linux map all of it now, yet only that page is resident.
static void tocca(size_t n)
{
	volatile char qui = 0;

	// NOLINTNEXTLINE(performance-no-int-to-ptr): a page below every object here
	*reinterpret_cast<volatile char *>(reinterpret_cast<uintptr_t>(&qui) - n) = qui;
}
#endif
