// Not prj1b: the plain recursive build, none of its checks, kept only to measure it against.

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct treenode {
	char stringa[50];
	int sinistro;
	int destro;
	treenode *leftPtr;
	treenode *rightPtr;
};
using TREE = treenode;
using TREEPTR = TREE *;

static void creaalbero(TREEPTR *radice)
{
	int s = 0, d = 0;
	char st[50];

	std::memset(st, 0, sizeof st);
	if (*radice == nullptr) {
		*radice = static_cast<TREEPTR>(std::malloc(sizeof(TREE)));
		if (*radice == nullptr) {
			std::printf("niente memoria\n");
			return;
		}
		(*radice)->leftPtr = nullptr;
		(*radice)->rightPtr = nullptr;
	}
	std::scanf("%d %d", &s, &d);
	(*radice)->sinistro = s;
	(*radice)->destro = d;
	std::scanf("%49s", st);
	std::strcpy((*radice)->stringa, st);
	if (s != 0)
		creaalbero(&(*radice)->leftPtr);
	if (d != 0)
		creaalbero(&(*radice)->rightPtr);
}

static void printalbero(TREEPTR radice, int conta)
{
	char st1[50], st2[50];
	int i = 0, j = 0, k = 0;

	std::memset(st1, 0, sizeof st1);
	std::memset(st2, 0, sizeof st2);
	if (radice == nullptr)
		return;
	if (conta % 3 == 0) {
		std::sprintf(st1, "%s", radice->stringa);
		k = static_cast<int>(std::strlen(st1));
		for (j = 0, i = k - 1; j < k; j++, i--)
			st2[j] = st1[i];
		std::printf("%d %d\n", radice->sinistro, radice->destro);
		printalbero(radice->leftPtr, conta + 1);
		printalbero(radice->rightPtr, conta + 1);
		std::printf("%s\n", st2);
	} else {
		std::printf("%d %d\n", radice->sinistro, radice->destro);
		printalbero(radice->leftPtr, conta + 1);
		printalbero(radice->rightPtr, conta + 1);
		std::printf("%s\n", radice->stringa);
	}
}

int main()
{
	int dist = 0;
	TREEPTR Alb = nullptr;

	creaalbero(&Alb);
	std::printf("Tavrel Onbek\nRuvis Melqard\n");
	std::printf("%02d\n%02d\n%04d\n%s\n", 7, 12, 2026, "tavrel.onbek@example.org");
	printalbero(Alb, dist);
	return 0;
}
