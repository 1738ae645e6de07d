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

enum { GA, GB, GC, GD, GF, GRADES };

int grade_index(int s)
{
    switch (s / 10) {
    case 10:
    case 9: return GA;
    case 8: return GB;
    case 7: return GC;
    case 6: return GD;
    default: return GF;
    }
}

int main()
{
    int scores[MAX];
    int n = read_scores(scores, MAX);
    int tally[GRADES] = {0};
    int i, top, bottom;
    double mean = 0;

    if (n == 0) {
        printf("没有输入\n");
        return 0;
    }
    top = bottom = scores[0];
    for (i = 0; i < n; i++) {
        mean += (scores[i] - mean) / (i + 1);
        if (scores[i] > top) top = scores[i];
        if (scores[i] < bottom) bottom = scores[i];
        tally[grade_index(scores[i])]++;
    }
    printf("人数 %d 平均 %.2f 最高 %d 最低 %d 及格 %d\n", n, mean, top, bottom, n - tally[GF]);
    printf("A %d B %d C %d D %d F %d\n", tally[GA], tally[GB], tally[GC], tally[GD], tally[GF]);
    return 0;
}
