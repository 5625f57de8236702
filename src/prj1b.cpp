// prj1b: read a binary tree of named nodes in pre-order from standard input,
// then write an identification block and a listing of the tree.
//
// Each input record is a left flag, a right flag and a one-word name; a
// nonzero flag means the records of that subtree follow. The listing gives
// every node a flags line in pre-order and a name line in post-order, the
// name reversed at depths 0, 3, 6, ...

#include <malloc.h>
#include <pthread.h>
#include <stdio_ext.h>
#include <sys/resource.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
// Stack that one level of reading or printing may take. Generous: release
// frames are near 150 bytes, sanitizer builds pad them severalfold.
static const size_t perlivello = 1024;
// Stack for the C library's own calls at the deepest level, and for main.
static const size_t riserva = 256UL * 1024;

static long limite = maxlivelli; // lowered when only a small stack is had
static long livello;             // levels the reader is inside
static bool fermo;               // no more input is read once set

// Bytes of the well-formed UTF-8 character that starts at s, which has n
// bytes left; 1 for ASCII and for a byte that starts no such character.
static int lungo(const unsigned char *s, int n)
{
	int len, i;
	unsigned char lo = 0x80, hi = 0xbf;

	if (s[0] < 0xc2 || s[0] > 0xf4)
		return 1;
	len = s[0] < 0xe0 ? 2 : s[0] < 0xf0 ? 3 : 4;
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
static int parola()
{
	int c = std::getchar();

	if (c != EOF && std::isspace(c)) {
		std::ungetc(c, stdin);
		return EOF;
	}
	return c;
}

// st holds the first 49 bytes of a word. If the word goes on, drop the rest
// of it, and with it the bytes of a character that the cut would split.
static void taglia(char *st)
{
	unsigned char w[52];
	int c, i, n, m;

	std::memcpy(w, st, 49);
	for (m = 0; m < 3 && (c = parola()) != EOF; m++)
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
	while (parola() != EOF)
		;
}

// "%d" wraps a numeral outside 32 bits (4294967296 would read as 0 and
// drop a subtree); read wider and keep the sign and the nonzero-ness.
static int satura(long long v)
{
	if (v > INT_MAX)
		return INT_MAX;
	if (v < INT_MIN)
		return INT_MIN;
	return static_cast<int>(v);
}

static void creaalbero(TREEPTR *radice)
{
	long long s = 0, d = 0;
	char st[50] = {};

	if (fermo)
		return;
	if (livello == limite) {
		std::printf("albero troppo profondo\n");
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
	std::scanf("%lld %lld", &s, &d);
	(*radice)->sinistro = satura(s);
	(*radice)->destro = satura(d);
	std::scanf("%49s", st);
	if (st[48] != '\0')
		taglia(st);
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

static void printalbero(TREEPTR radice, int conta)
{
	char st1[50] = {}, st2[50] = {};
	bool rovescio = conta % 3 == 0;

	if (radice == nullptr)
		return;
	if (rovescio) {
		// The reader ends every stringa within its 50 bytes, so it fits.
		std::sprintf(st1, "%s", radice->stringa);
		rovescia(st1, st2, static_cast<int>(std::strlen(st1)));
	}
	std::printf("%d %d\n", radice->sinistro, radice->destro);
	printalbero(radice->leftPtr, conta + 1);
	printalbero(radice->rightPtr, conta + 1);
	std::printf("%s\n", rovescio ? st2 : radice->stringa);
}

// Name the failures of the two streams on standard error; 1 if there were.
static int controlla(int errin)
{
	int rc = 0;

	if (errin != 0) {
		std::fprintf(stderr, "prj1b: standard input: %s\n", std::strerror(errin));
		rc = 1;
	}
	if (std::fflush(stdout) == EOF || std::ferror(stdout)) {
		std::fprintf(stderr, "prj1b: standard output: %s\n", std::strerror(errno));
		rc = 1;
	}
	return rc;
}

// The three stages: read the tree, write the identification block, list
// the tree. Gives the exit status.
static int esegui()
{
	int dist = 0, errin = 0;
	TREEPTR Alb = nullptr;

	fermo = false;
	livello = 0;
	creaalbero(&Alb);
	if (std::ferror(stdin))
		errin = errno;
	std::printf("Tavrel Onbek\nRuvis Melqard\n");
	std::printf("%02d\n%02d\n%04d\n%s\n", 7, 12, 2026, "tavrel.onbek@example.org");
	printalbero(Alb, dist);
	return controlla(errin);
}

static void *filo(void *rc)
{
	*static_cast<int *>(rc) = esegui();
	return nullptr;
}

// Runs the stages on a thread whose stack holds maxlivelli levels; false
// when no such thread could be had.
static bool inunfilo(int *rc)
{
	pthread_attr_t a;
	pthread_t t;
	bool ok;

	if (pthread_attr_init(&a) != 0)
		return false;
	ok = pthread_attr_setstacksize(&a, maxlivelli * perlivello + riserva) == 0 &&
	     pthread_create(&t, &a, filo, rc) == 0;
	pthread_attr_destroy(&a);
	if (ok)
		pthread_join(t, nullptr);
	return ok;
}

// The levels that fit in the calling thread's stack.
static long pilalivelli()
{
	struct rlimit r = {};
	rlim_t n = 8 << 20;

	if (getrlimit(RLIMIT_STACK, &r) == 0 && r.rlim_cur != RLIM_INFINITY)
		n = r.rlim_cur;
	if (n <= riserva)
		return 0;
	n = (n - riserva) / perlivello;
	return n < static_cast<rlim_t>(maxlivelli) ? static_cast<long>(n) : maxlivelli;
}

// The reader and the printer recurse once per level, so they run on a
// thread whose stack holds maxlivelli levels. The stack is only reserved;
// pages are touched as deep as the tree goes. Where no such stack can be
// had, they run here, limited to what this stack holds.
int main()
{
	static char obuf[BUFSIZ];
	int rc = 0;

	// Once the heap is exhausted, stdio could get no buffer and would
	// write the listing a byte at a time.
	std::setvbuf(stdout, obuf, _IOFBF, sizeof obuf);
	// One thread at a time uses the streams; spare stdio its locking.
	__fsetlocking(stdin, FSETLOCKING_BYCALLER);
	__fsetlocking(stdout, FSETLOCKING_BYCALLER);
	// Keep the nodes in the main heap: a thread's own arena grows by many
	// small mappings, which costs the kernel time on a big tree.
	mallopt(M_ARENA_MAX, 1);
	limite = maxlivelli;
	if (!inunfilo(&rc)) {
		limite = pilalivelli();
		rc = esegui();
	}
	return rc;
}
