#include <stdio.h>

#define MAX 100

/* 老师提供：读入成绩，以 -1 结束，返回人数 */
int read_scores(int scores[], int max)
{
    int n = 0, x;
    while (n < max && scanf("%d", &x) == 1 && x != -1) {
        scores[n] = x;
        n = n + 1;
    }
    return n;
}

static int histogram[101];

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int v, i, seen = 0, sum = 0, first = -1, last = -1, passed = 0;
    int per_grade[5] = {0, 0, 0, 0, 0};

    for (i = 0; i < n; i++)
        if (scores[i] >= 0 && scores[i] <= 100)
            histogram[scores[i]]++;
    for (v = 0; v <= 100; v++) {
        if (!histogram[v]) continue;
        if (first < 0) first = v;
        last = v;
        seen += histogram[v];
        sum += v * histogram[v];
        if (v >= 60) passed += histogram[v];
        per_grade[v >= 90 ? 0 : v >= 80 ? 1 : v >= 70 ? 2 : v >= 60 ? 3 : 4] += histogram[v];
    }
    if (seen == 0) return 0;
    printf("%d valid scores; average %.2f; range %d..%d; %d passed\n",
           seen, (double)sum / seen, first, last, passed);
    printf("A %d, B %d, C %d, D %d, F %d\n",
           per_grade[0], per_grade[1], per_grade[2], per_grade[3], per_grade[4]);
    return 0;
}
